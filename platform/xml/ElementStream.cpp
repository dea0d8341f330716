#include "platform/xml/ElementStream.h"

#include <fcntl.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <utility>
#include <vector>

#include "platform/xml/XmlInternal.h"

namespace platform::xml {

using namespace detail;

namespace {

// The file is handed to the parser this much at a time: between two
// pieces a stop is seen and the gauge moves.
constexpr std::size_t kPiece = 64 * 1024;

std::string Qualified(const xmlChar* prefix, const xmlChar* local) {
    return prefix ? S(prefix) + ":" + S(local) : S(local);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

struct ElementStream::State {
    struct Element {
        std::string name;
        std::vector<std::pair<std::string, std::string>> attributes;
    };
    // What the node being read is, so that a text or CDATA the parser
    // hands over in pieces counts once (nothing of it is kept).
    enum class Run { None, Text, CData };

    std::filesystem::path file;
    int fd = -1;
    ReadGauge* gauge = nullptr;
    std::uint64_t maxNodes = kUnbounded;
    xmlParserCtxtPtr ctxt = nullptr;
    ParseError error;   // the first error of the parse; later ones follow from it
    ParseWatch watch;

    std::deque<Element> ready;   // the root's children read, not yet reached
    Element current;
    int depth = 0;               // elements open
    std::uint64_t nodes = 0;
    Run run = Run::None;
    bool blank = true;           // nothing but white space read so far
    // The root has closed: the parser may stop by itself without a word
    // (at some bytes of no encoding), and without a root there is no
    // document.
    bool rootEnded = false;
    bool atEnd = false;          // the whole file handed to the parser
    bool cut = false;            // maxNodes reached
    bool halted = false;         // the parse was ended from here
    bool done = false;           // Next has returned false

    ~State() {
        // The parser makes a document of its own for an entity declared
        // to a handler like this one, and leaves it to its caller.
        if (ctxt && ctxt->myDoc) xmlFreeDoc(ctxt->myDoc);
        if (ctxt) xmlFreeParserCtxt(ctxt);
        if (fd >= 0) close(fd);
    }
    bool Stopped() const { return gauge && gauge->stop.load(); }
    bool Failed() const { return error.errorCode != 0 || !watch.refusedEntity.empty(); }
    bool Reading() const { return !halted; }

    void Keep(const xmlError& e) {
        if (e.level < XML_ERR_ERROR || halted) return;
        watch.Note(e);
        if (error.errorCode) return;
        error.errorCode = e.code ? e.code : -1;
        error.reason = e.message ? e.message : "The document is not well-formed";
        while (!error.reason.empty() && (error.reason.back() == '\n' || error.reason.back() == ' '))
            error.reason.pop_back();
        error.line = e.line;
        error.linePos = e.int2;
    }
    // Ends the parse with a reason of the stream's own, at the parser's place.
    void Refuse(int code, const std::string& reason) {
        if (!error.errorCode) {
            error.errorCode = code;
            error.reason = reason;
            error.line = xmlSAX2GetLineNumber(ctxt);
            error.linePos = xmlSAX2GetColumnNumber(ctxt);
        }
        Halt();
    }
    // Replacing entities copied an entity's text for each reference, so a
    // megabyte of references to large entities stood for gigabytes; left
    // as references, an attribute's would be replaced when it is read,
    // past every limit of the parser. The document is refused at the
    // declaration, before any entity is used.
    void RefuseEntities() {
        Refuse(XML_ERR_ENTITY_PROCESSING,
               "The document declares entities of its own, which a file read element by element may not hold");
    }
    void Halt() {
        halted = true;
        xmlStopParser(ctxt);
    }
    // A new node: false once it is one past the bound (the parse then ends).
    bool Count() {
        run = Run::None;
        if (nodes == maxNodes) {
            cut = true;
            Halt();
            return false;
        }
        ++nodes;
        return true;
    }
    void Piece(Run kind) {
        if (halted || run == kind || !Count()) return;
        run = kind;
    }
    void Start(const xmlChar* local, const xmlChar* prefix, int namespaceCount, const xmlChar** namespaces,
               int attributeCount, int defaulted, const xmlChar** attributes) {
        if (halted || !Count()) return;
        if (static_cast<unsigned>(depth) >= xmlParserMaxDepth) {
            Refuse(XML_ERR_INTERNAL_ERROR,
                   "The elements of the document nest deeper than " + std::to_string(xmlParserMaxDepth) + " levels");
            return;
        }
        // After an error the parser may go on, but what it reads is not
        // the document's.
        if (depth++ != 1 || Failed()) return;
        Element e{Qualified(prefix, local), {}};
        for (int n = 0; n < namespaceCount; ++n) {
            const xmlChar* name = namespaces[2 * n];
            e.attributes.emplace_back(name ? "xmlns:" + S(name) : "xmlns", S(namespaces[2 * n + 1]));
        }
        // As for Document, attributes the document type only defaults are
        // not the element's.
        for (int n = 0; n < attributeCount - defaulted; ++n) {
            const xmlChar** a = attributes + 5 * n;   // local name, prefix, URI, value, value's end
            const auto* value = reinterpret_cast<const char*>(a[3]);
            e.attributes.emplace_back(Qualified(a[1], a[0]), std::string(value, static_cast<std::size_t>(a[4] - a[3])));
        }
        ready.push_back(std::move(e));
    }

    // Hands the next piece of the file to the parser, or its end.
    void Feed() {
        if (Stopped()) {
            Refuse(XML_ERR_USER_STOP, "The reading was stopped");
            return;
        }
        char piece[kPiece];
        ssize_t n;
        do n = read(fd, piece, sizeof piece);
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            Refuse(XML_IO_EIO, "The file cannot be read");
            return;
        }
        if (gauge) gauge->bytes += static_cast<std::uint64_t>(n);
        for (ssize_t i = 0; blank && i < n; ++i) blank = IsBlank(piece[i]);
        atEnd = n == 0;
        {
            ExternalEntitiesRefused guard(watch);
            xmlParseChunk(ctxt, piece, static_cast<int>(n), atEnd ? 1 : 0);
        }
        if (!halted && !Failed() && (!ctxt->wellFormed || (atEnd && !rootEnded))) {
            error.errorCode = XML_ERR_DOCUMENT_END;
            error.reason = "The document is not well-formed";
            error.line = xmlSAX2GetLineNumber(ctxt);
            error.linePos = xmlSAX2GetColumnNumber(ctxt);
        }
        if (gauge) gauge->nodes = nodes;
    }

    static State& Of(void* context) { return *static_cast<State*>(context); }
    static xmlSAXHandler Handler();
};

// Only what the stream looks at: no tree is built, no entity is declared.
xmlSAXHandler ElementStream::State::Handler() {
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = [](void* c, const xmlChar* local, const xmlChar* prefix, const xmlChar*, int namespaceCount,
                            const xmlChar** namespaces, int attributeCount, int defaulted, const xmlChar** attributes) {
        Of(c).Start(local, prefix, namespaceCount, namespaces, attributeCount, defaulted, attributes);
    };
    sax.endElementNs = [](void* c, const xmlChar*, const xmlChar*, const xmlChar*) {
        State& s = Of(c);
        s.run = Run::None;
        s.rootEnded = --s.depth == 0;
    };
    sax.characters = [](void* c, const xmlChar*, int) { Of(c).Piece(Run::Text); };
    sax.ignorableWhitespace = sax.characters;
    sax.cdataBlock = [](void* c, const xmlChar*, int) { Of(c).Piece(Run::CData); };
    sax.comment = [](void* c, const xmlChar*) {
        if (Of(c).Reading()) Of(c).Count();
    };
    sax.processingInstruction = [](void* c, const xmlChar*, const xmlChar*) {
        if (Of(c).Reading()) Of(c).Count();
    };
    sax.internalSubset = [](void* c, const xmlChar*, const xmlChar*, const xmlChar*) {
        if (Of(c).Reading()) Of(c).Count();
    };
    sax.entityDecl = [](void* c, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
        Of(c).RefuseEntities();
    };
    sax.unparsedEntityDecl = [](void* c, const xmlChar*, const xmlChar*, const xmlChar*, const xmlChar*) {
        Of(c).RefuseEntities();
    };
    sax.serror = [](void* c, xmlErrorPtr e) {
        if (e) Of(c).Keep(*e);
    };
    return sax;
}

ElementStream::ElementStream(const std::filesystem::path& file, ReadGauge* gauge, std::uint64_t maxNodes)
    : m_state(std::make_unique<State>()) {
    InitLibrary();
    State& s = *m_state;
    s.file = file;
    s.gauge = gauge;
    s.maxNodes = maxNodes;
    s.error.url = file.string();
    s.fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    xmlSAXHandler sax = State::Handler();
    // No network; the references to the five predefined entities and to
    // characters are replaced in attribute values as they are read.
    if (s.fd >= 0) s.ctxt = xmlCreatePushParserCtxt(&sax, &s, nullptr, 0, file.c_str());
    if (!s.ctxt) throw XmlError("Cannot read \"" + file.string() + "\"");
    xmlCtxtUseOptions(s.ctxt, XML_PARSE_NONET | XML_PARSE_NOENT);
}

ElementStream::~ElementStream() = default;

bool ElementStream::Next() {
    State& s = *m_state;
    if (s.done) return false;
    while (s.ready.empty()) {
        if (s.Failed()) Fail();
        if (s.cut || s.atEnd) {
            s.done = true;
            s.current = {};
            return false;
        }
        s.Feed();
    }
    s.current = std::move(s.ready.front());
    s.ready.pop_front();
    return true;
}

bool ElementStream::Cut() const { return m_state->cut; }

void ElementStream::Fail() {
    State& s = *m_state;
    s.done = true;
    s.ready.clear();
    if (s.depth == 0 && s.blank && s.atEnd && !s.Stopped()) {
        s.error.errorCode = XML_ERR_DOCUMENT_EMPTY;
        s.error.reason = "The document is empty";
    }
    s.watch.Explain(s.error, false);
    throw XmlError("Cannot read \"" + s.file.string() + "\": " + s.error.Describe(), s.error);
}

std::string ElementStream::Name() const { return m_state->current.name; }

std::string ElementStream::GetAttribute(const std::string& name) const {
    for (const auto& [key, value] : m_state->current.attributes)
        if (key == name) return value;
    return {};
}

}  // namespace platform::xml
