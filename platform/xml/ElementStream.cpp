#include "platform/xml/ElementStream.h"

#include <fcntl.h>
#include <libxml/hash.h>
#include <libxml/xmlreader.h>
#include <unistd.h>

#include <cerrno>

#include "platform/xml/XmlInternal.h"

namespace platform::xml {

using namespace detail;

struct ElementStream::State {
    std::filesystem::path file;
    int fd = -1;
    ReadGauge* gauge = nullptr;
    xmlTextReaderPtr reader = nullptr;
    // The partial document once asked for: the reader then leaves it to
    // its caller to free.
    xmlDocPtr doc = nullptr;
    ParseError error;   // the first error of the parse; later ones follow from it
    ParseWatch watch;
    enum class Place { BeforeRoot, AtChild, InRoot, Ended } place = Place::BeforeRoot;

    ~State() {
        if (reader) xmlFreeTextReader(reader);
        if (doc) xmlFreeDoc(doc);
        if (fd >= 0) close(fd);
    }
    bool Stopped() const { return gauge && gauge->stop.load(); }
    bool DeclaresEntities() {
        if (!doc) doc = xmlTextReaderCurrentDoc(reader);
        const auto any = [](void* table) { return table && xmlHashSize(static_cast<xmlHashTablePtr>(table)) > 0; };
        return doc && doc->intSubset && (any(doc->intSubset->entities) || any(doc->intSubset->pentities));
    }

    // The parser's reads of the file; a stop asked for fails the read.
    static int Read(void* context, char* buffer, int length) {
        auto& s = *static_cast<State*>(context);
        if (s.Stopped()) return -1;
        ssize_t n;
        do n = read(s.fd, buffer, static_cast<size_t>(length));
        while (n < 0 && errno == EINTR);
        if (n > 0 && s.gauge) s.gauge->bytes += static_cast<std::uint64_t>(n);
        return n < 0 ? -1 : static_cast<int>(n);
    }
    bool Failed() const { return error.errorCode != 0 || !watch.refusedEntity.empty(); }

    void Keep(const xmlError& e) {
        if (e.level < XML_ERR_ERROR) return;
        watch.Note(e);
        if (error.errorCode) return;
        error.errorCode = e.code ? e.code : -1;
        error.reason = e.message ? e.message : "The document is not well-formed";
        while (!error.reason.empty() && (error.reason.back() == '\n' || error.reason.back() == ' '))
            error.reason.pop_back();
        error.line = e.line;
        error.linePos = e.int2;
    }
};

ElementStream::ElementStream(const std::filesystem::path& file, ReadGauge* gauge)
    : m_state(std::make_unique<State>()) {
    InitLibrary();
    m_state->file = file;
    m_state->gauge = gauge;
    m_state->error.url = file.string();
    m_state->fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    // No network, and no entity replaced: a document that declares
    // entities is refused at its declaration (Next), before any is used.
    // Replacing them as Document does (XML_PARSE_NOENT) copied an entity's
    // nodes for each reference, so a megabyte of references to large
    // entities took hundreds of megabytes and minutes; left as references,
    // an attribute's would be replaced when it is read, past every limit
    // of the parser.
    if (m_state->fd >= 0)
        m_state->reader = xmlReaderForIO(State::Read, nullptr, m_state.get(), file.c_str(), nullptr, XML_PARSE_NONET);
    if (!m_state->reader) throw XmlError("Cannot read \"" + file.string() + "\"");
    xmlTextReaderSetStructuredErrorHandler(
        m_state->reader, [](void* state, xmlErrorPtr e) { if (e) static_cast<State*>(state)->Keep(*e); },
        m_state.get());
}

ElementStream::~ElementStream() = default;

bool ElementStream::Next() {
    using Place = State::Place;
    State& s = *m_state;
    if (s.place == Place::Ended) return false;
    ExternalEntitiesRefused guard(s.watch);
    int result = 1;
    if (s.place == Place::BeforeRoot) {
        while ((result = xmlTextReaderRead(s.reader)) == 1 && xmlTextReaderNodeType(s.reader) != XML_READER_TYPE_ELEMENT) {
            if (xmlTextReaderNodeType(s.reader) == XML_READER_TYPE_DOCUMENT_TYPE && s.DeclaresEntities()) {
                s.place = Place::Ended;
                s.error.errorCode = XML_ERR_ENTITY_PROCESSING;
                s.error.reason = "The document declares entities of its own, which a file read element by "
                                 "element may not hold";
                s.error.line = xmlTextReaderGetParserLineNumber(s.reader);
                s.error.linePos = xmlTextReaderGetParserColumnNumber(s.reader);
                Fail();
            }
        }
        if (result == 1 && !xmlTextReaderIsEmptyElement(s.reader)) {
            s.place = Place::InRoot;
            result = xmlTextReaderRead(s.reader);
        }
    } else if (s.place == Place::AtChild) {
        result = xmlTextReaderNext(s.reader);
    }
    // Children one by one, each one's content skipped, to the root's end.
    for (; result == 1 && s.place != Place::BeforeRoot && !s.Failed(); result = xmlTextReaderNext(s.reader)) {
        if (xmlTextReaderDepth(s.reader) == 0) break;
        if (xmlTextReaderNodeType(s.reader) == XML_READER_TYPE_ELEMENT) {
            s.place = Place::AtChild;
            if (s.gauge) ++s.gauge->elements;
            return true;
        }
    }
    // What follows the root must still be well-formed.
    while (result == 1 && !s.Failed()) result = xmlTextReaderRead(s.reader);
    s.place = Place::Ended;
    if (result < 0 || s.Failed()) Fail();
    return false;
}

void ElementStream::Fail() {
    State& s = *m_state;
    if (!s.error.errorCode) {
        s.error.errorCode = -1;
        s.error.reason = "The document is not well-formed";
    }
    if (!s.doc) s.doc = xmlTextReaderCurrentDoc(s.reader);
    s.watch.Explain(s.error, s.doc && s.doc->intSubset && s.doc->intSubset->entities);
    if (s.Stopped()) s.error.reason = "The reading was stopped";
    throw XmlError("Cannot read \"" + s.file.string() + "\": " + s.error.Describe(), s.error);
}

std::string ElementStream::Name() const { return S(xmlTextReaderConstName(m_state->reader)); }

std::string ElementStream::GetAttribute(const std::string& name) const {
    return Take(xmlTextReaderGetAttribute(m_state->reader, X(name)));
}

}  // namespace platform::xml
