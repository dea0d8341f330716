#include "platform/xml/XsltStylesheet.h"

#include <libexslt/exslt.h>
#include <libxslt/transform.h>
#include <libxslt/variables.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/xml/XmlInternal.h"

namespace platform::xml {

namespace {

// Collects libxslt's messages so that a failure can say why.
void CollectMessage(void* context, const char* format, ...) {
    auto* out = static_cast<std::string*>(context);
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    *out += buffer;
}

struct Messages {
    std::string text;
    Messages() {
        static std::once_flag once;
        std::call_once(once, [] { exsltRegisterAll(); });
        xsltSetGenericErrorFunc(&text, CollectMessage);
    }
    ~Messages() { xsltSetGenericErrorFunc(nullptr, nullptr); }
    std::string Trimmed() const {
        std::string t = text;
        while (!t.empty() && (t.back() == '\n' || t.back() == ' ')) t.pop_back();
        return t;
    }
};

}  // namespace

struct XsltStylesheet::Impl {
    xsltStylesheetPtr sheet = nullptr;
    ~Impl() {
        if (sheet) xsltFreeStylesheet(sheet);   // frees the document it was built from
    }
};

XsltStylesheet::XsltStylesheet(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
XsltStylesheet::~XsltStylesheet() = default;
XsltStylesheet::XsltStylesheet(XsltStylesheet&&) noexcept = default;
XsltStylesheet& XsltStylesheet::operator=(XsltStylesheet&&) noexcept = default;

namespace {

// libxslt's stylesheet built from a copy of doc (a stylesheet owns the
// document it is built from). When it cannot be built, an XmlError of
// failure followed by libxslt's reasons.
xsltStylesheetPtr BuildSheet(const Document& doc, const std::string& failure) {
    Messages messages;
    xmlDocPtr copy = xmlCopyDoc(doc.Raw(), 1);
    xsltStylesheetPtr sheet = xsltParseStylesheetDoc(copy);
    if (!sheet) {
        xmlFreeDoc(copy);
        throw XmlError(failure + messages.Trimmed());
    }
    return sheet;
}

}  // namespace

XsltStylesheet XsltStylesheet::Load(const std::filesystem::path& file) {
    Document doc = Document::Load(file, ParseOptions{true});
    xmlNodeSetBase(reinterpret_cast<xmlNodePtr>(doc.Raw()), detail::X(file.string()));
    auto impl = std::make_unique<Impl>();
    impl->sheet = BuildSheet(doc, "\"" + file.string() + "\" is not a usable XSL stylesheet: ");
    return XsltStylesheet(std::move(impl));
}

XsltStylesheet XsltStylesheet::Parse(std::string_view text) {
    Document doc = Document::Parse(text, ParseOptions{true});
    auto impl = std::make_unique<Impl>();
    impl->sheet = BuildSheet(doc, "The text is not a usable XSL stylesheet: ");
    return XsltStylesheet(std::move(impl));
}

namespace {

xmlDocPtr Run(xsltStylesheetPtr sheet, const Document& input, const TransformParams& params, Messages& messages) {
    std::vector<std::string> storage;
    storage.reserve(params.size() * 2);
    std::vector<const char*> list;
    for (auto& [name, value] : params) {
        storage.push_back(name);
        storage.push_back(value);
    }
    for (auto& s : storage) list.push_back(s.c_str());
    list.push_back(nullptr);
    xsltTransformContextPtr ctxt = xsltNewTransformContext(sheet, input.Raw());
    if (!ctxt) throw XmlError("Cannot start the transform");
    // Plain string values: quoted for the engine so they are never evaluated.
    xsltQuoteUserParams(ctxt, list.data());
    xmlDocPtr result = xsltApplyStylesheetUser(sheet, input.Raw(), nullptr, nullptr, nullptr, ctxt);
    bool failed = ctxt->state == XSLT_STATE_ERROR || ctxt->state == XSLT_STATE_STOPPED;
    xsltFreeTransformContext(ctxt);
    if (!result || failed) {
        if (result) xmlFreeDoc(result);
        throw XmlError("The transform failed: " + messages.Trimmed());
    }
    return result;
}

}  // namespace

Document XsltStylesheet::Apply(const Document& input, const TransformParams& params) const {
    Messages messages;
    return Document::Adopt(Run(m_impl->sheet, input, params, messages));
}

std::string XsltStylesheet::ApplyToString(const Document& input, const TransformParams& params) const {
    Messages messages;
    xmlDocPtr result = Run(m_impl->sheet, input, params, messages);
    xmlChar* text = nullptr;
    int length = 0;
    int rc = xsltSaveResultToString(&text, &length, result, m_impl->sheet);
    xmlFreeDoc(result);
    if (rc != 0) throw XmlError("Cannot write the transform's result");
    std::string out = text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(length)) : std::string();
    if (text) xmlFree(text);
    return out;
}

}  // namespace platform::xml
