// CProgressCaptions: the device operations' progress as the program words it, each step's
// captions ("Erase", "Blank Check 37%", "Verfify Ok") with the bar's range and steps, told
// to a progress display: the window's progress bar, or the lines of a console program.
#pragma once
#include "ops/OperationReports.h"

// Where the captions and the bar's steps go.
class CProgressDisplay {
public:
    virtual ~CProgressDisplay() = default;
    virtual void SetCaption(const char* caption) = 0;
    // Position 0, range 0..upper, step 1.
    virtual void Start(int upper) = 0;
    virtual void StepIt() = 0;
};

class CProgressCaptions : public CProgressReport {
public:
    explicit CProgressCaptions(CProgressDisplay& display) : m_display(display) {}

    void Begin(Step step, int upper) override;
    void Percent(Step step, int percent) override;
    void StepIt() override;
    void Done(Step step) override;

private:
    CProgressDisplay& m_display;
};
