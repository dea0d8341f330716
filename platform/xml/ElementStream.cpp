#include "platform/xml/ElementStream.h"

#include <libxml/xmlreader.h>

#include "platform/xml/XmlInternal.h"

namespace platform::xml {

using namespace detail;

struct ElementStream::State {
    std::filesystem::path file;
    xmlTextReaderPtr reader = nullptr;
    ParseError error;   // the first error of the parse; later ones follow from it
    ParseWatch watch;
    enum class Place { BeforeRoot, AtChild, InRoot, Ended } place = Place::BeforeRoot;

    ~State() {
        if (reader) xmlFreeTextReader(reader);
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

ElementStream::ElementStream(const std::filesystem::path& file) : m_state(std::make_unique<State>()) {
    InitLibrary();
    m_state->file = file;
    m_state->error.url = file.string();
    // As Document parses: no network, and the document's own entities
    // replaced by their text under the parser's limits.
    m_state->reader = xmlReaderForFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOENT);
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
    const xmlDocPtr doc = xmlTextReaderCurrentDoc(s.reader);
    s.watch.Explain(s.error, doc && doc->intSubset && doc->intSubset->entities);
    throw XmlError("Cannot read \"" + s.file.string() + "\": " + s.error.Describe(), s.error);
}

std::string ElementStream::Name() const { return S(xmlTextReaderConstName(m_state->reader)); }

std::string ElementStream::GetAttribute(const std::string& name) const {
    return Take(xmlTextReaderGetAttribute(m_state->reader, X(name)));
}

}  // namespace platform::xml
