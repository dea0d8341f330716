#pragma once
// A compiled XSL stylesheet applied to documents (libxslt, with EXSLT).

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/xml/XmlDocument.h"

namespace platform::xml {

// Parameters by name; values are passed as strings, never evaluated as XPath.
using TransformParams = std::map<std::string, std::string>;

class XsltStylesheet {
public:
    static XsltStylesheet Load(const std::filesystem::path& file);
    static XsltStylesheet Parse(std::string_view text);
    ~XsltStylesheet();
    XsltStylesheet(XsltStylesheet&&) noexcept;
    XsltStylesheet& operator=(XsltStylesheet&&) noexcept;

    Document Apply(const Document& input, const TransformParams& params = {}) const;
    // The result written as the stylesheet's xsl:output asks (method, indent, encoding).
    std::string ApplyToString(const Document& input, const TransformParams& params = {}) const;

private:
    struct Impl;
    explicit XsltStylesheet(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform::xml
