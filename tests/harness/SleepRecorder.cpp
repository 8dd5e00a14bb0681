// The wait recorder: replaces the program's waits while it lives.
#include "tests/harness/SleepRecorder.h"

#include "framework/Sleep.h"

namespace {
SleepRecorder* g_recorder = nullptr;
}

SleepRecorder::SleepRecorder(std::function<void(DWORD)> onWait) : m_onWait(std::move(onWait)) {
    m_previous = g_recorder;
    g_recorder = this;
    AfxSetSleepHook(&SleepRecorder::Record);
}

SleepRecorder::~SleepRecorder() {
    g_recorder = m_previous;
    if (g_recorder == nullptr)
        AfxSetSleepHook(nullptr);
}

unsigned long long SleepRecorder::TotalMs() const {
    unsigned long long total = 0;
    for (DWORD wait : m_waits)
        total += wait;
    return total;
}

void SleepRecorder::Record(DWORD milliseconds) {
    if (g_recorder == nullptr)
        return;
    g_recorder->m_waits.push_back(milliseconds);
    if (g_recorder->m_onWait)
        g_recorder->m_onWait(milliseconds);
}
