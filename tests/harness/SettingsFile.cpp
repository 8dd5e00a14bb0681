// The settings file as the program finds it: tamberlo.INI in the Windows directory.
#include "tests/harness/SettingsFile.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace SettingsFile {

std::string Path() {
    char folder[MAX_PATH];
    ::GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\tamberlo.INI";
}

void Remove() {
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, "tamberlo.INI"); // flush the cache
    ::DeleteFileA(Path().c_str());
}

std::string Contents() {
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, "tamberlo.INI");
    std::ifstream file(Path(), std::ios::binary);
    if (!file)
        return "";
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void Write(const std::string& contents) {
    Remove();
    std::ofstream(Path(), std::ios::binary) << contents;
}

} // namespace SettingsFile
