// Records every wait the program makes through the wait seam instead of sleeping;
// an optional callback lets a simulated clock advance by the same amount.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

class SleepRecorder {
public:
    explicit SleepRecorder(std::function<void(DWORD)> onWait = nullptr);
    ~SleepRecorder();
    SleepRecorder(const SleepRecorder&) = delete;
    SleepRecorder& operator=(const SleepRecorder&) = delete;

    const std::vector<DWORD>& Waits() const { return m_waits; }
    unsigned long long TotalMs() const;
    void Clear() { m_waits.clear(); }

private:
    static void Record(DWORD milliseconds);
    std::vector<DWORD> m_waits;
    std::function<void(DWORD)> m_onWait;
    SleepRecorder* m_previous = nullptr;
};
