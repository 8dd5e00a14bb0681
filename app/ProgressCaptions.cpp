// The captions of each step, as the program has always written them (the misspellings of
// "Verfy Flash" and "Verfify Ok" included).
#include "app/ProgressCaptions.h"

#include <cstdio>

namespace {

struct StepCaptions {
    const char* begin;
    const char* percent; // followed by " N%"
    const char* done;
};

StepCaptions CaptionsOf(Step step) {
    switch (step) {
    case Step::Erase:
        return {"Erase", "Erase", "Erase Ok"};
    case Step::BlankCheck:
        return {"Blank Check", "Blank Check", "Blank Ok"};
    case Step::ProgramFlash:
        return {"Program Flash", "Program Flash", "Program Flash Ok"};
    case Step::VerifyFlash:
        return {"Verfy Flash", "Verify Flash", "Verfify Ok"};
    case Step::Lock1Bit:
        return {"Lock 1 Bit", "Lock 1 Bit", "Lock 1 Bit Ok"};
    case Step::Lock2Bit:
        break;
    }
    return {"Lock 2 Bit", "Lock 2 Bit", "Lock 2 Bit Ok"};
}

} // namespace

void StartProgress(CTextProgressCtrl& progress, int upper) {
    progress.SetPos(0);
    progress.SetRange(0, static_cast<short>(upper));
    progress.SetStep(1);
}

void CProgressCaptions::Begin(Step step, int upper) {
    m_progress.SetWindowText(CaptionsOf(step).begin);
    StartProgress(m_progress, upper);
}

void CProgressCaptions::Percent(Step step, int percent) {
    char text[48];
    std::snprintf(text, sizeof text, "%s %d%%", CaptionsOf(step).percent, percent);
    m_progress.SetWindowText(text);
}

void CProgressCaptions::StepIt() {
    m_progress.StepIt();
}

void CProgressCaptions::Done(Step step) {
    m_progress.SetWindowText(CaptionsOf(step).done);
}
