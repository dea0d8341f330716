#pragma once
// Failures of the report engine and the page routines. They end the page
// writer that met them and travel up to the report run.

#include <stdexcept>
#include <string>

#include "platform/xml/XmlError.h"

namespace mdlReports {

class ReportError : public std::runtime_error {
public:
    explicit ReportError(const std::string& message) : std::runtime_error(message) {}
};

// A page or template that does not parse. The analyst has already been
// shown message 502 about it when this is raised, so callers stop without
// a second message.
class IllFormedPage : public ReportError {
public:
    IllFormedPage(const std::string& message, platform::xml::ParseError detail)
        : ReportError(message), m_detail(std::move(detail)) {}
    const platform::xml::ParseError& Detail() const { return m_detail; }
private:
    platform::xml::ParseError m_detail;
};

}  // namespace mdlReports
