// The program's settings file in the Windows directory of the test's Wine prefix.
#pragma once
#include <string>

namespace SettingsFile {
std::string Path();
void Remove();
// The file's bytes, or "" when it does not exist.
std::string Contents();
void Write(const std::string& contents);
} // namespace SettingsFile
