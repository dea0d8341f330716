#pragma once
// The tables of a program's model database.

namespace platform::workbench {

constexpr int kCodeModelFormatVersion = 1;
extern const char* const kCodeModelSchemaSql;

}  // namespace platform::workbench
