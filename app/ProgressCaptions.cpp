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
        return {"Lock 2 Bit", "Lock 2 Bit", "Lock 2 Bit Ok"};
    case Step::ReadFlash:
        return {"Read Flash", "Read Flash", "Read Flash Ok"};
    case Step::ReadEeprom:
        return {"Read EEPROM", "Read EEPROM", "Read EEPROM Ok"};
    case Step::WriteEeprom:
        break;
    }
    return {"Write EEPROM", "Write EEPROM", "Write EEPROM Ok"};
}

} // namespace

void CProgressCaptions::Begin(Step step, int upper) {
    m_display.SetCaption(CaptionsOf(step).begin);
    m_display.Start(upper);
}

void CProgressCaptions::Percent(Step step, int percent) {
    char text[48];
    std::snprintf(text, sizeof text, "%s %d%%", CaptionsOf(step).percent, percent);
    m_display.SetCaption(text);
}

void CProgressCaptions::StepIt() {
    m_display.StepIt();
}

void CProgressCaptions::Done(Step step) {
    m_display.SetCaption(CaptionsOf(step).done);
}
