#pragma once
// Name checks for names the analyst types that later become file names
// (web services, their WSDL files). Other routines of this namespace live
// beside the repository layer.

#include <string_view>

namespace FileNameUtility {

// False when the name cannot be a file name: empty, "." or "..", or holding a
// control character or one of \ / : * ? " < > | (the characters that no
// common file system accepts in a name). Letters of any script are fine.
bool IsValidName(std::string_view name);

}  // namespace FileNameUtility
