// A fresh temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <string>

#include <ftw.h>
#include <unistd.h>

class WorkDir {
public:
    WorkDir() {
        char pattern[] = "/tmp/tamberlo-bridge-XXXXXX";
        if (::mkdtemp(pattern) != nullptr)
            m_path = pattern;
    }
    ~WorkDir() {
        if (!m_path.empty())
            ::nftw(m_path.c_str(), &Remove, 8, FTW_DEPTH | FTW_PHYS);
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::string& path() const { return m_path; }

private:
    static int Remove(const char* path, const struct stat*, int, struct FTW*) {
        return ::remove(path);
    }
    std::string m_path;
};
