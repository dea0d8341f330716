#pragma once
namespace app {
const char* Version();
int VersionMajor();
int VersionMinor();
}
