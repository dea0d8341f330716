#pragma once
// The error every repository component raises: a missing entity key, an
// unknown relation type, a closed repository, a malformed query.

#include <stdexcept>
#include <string>

namespace platform::workbench {

class WorkbenchError : public std::runtime_error {
public:
    explicit WorkbenchError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace platform::workbench
