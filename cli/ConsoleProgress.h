// CConsoleProgress: the operations' steps in the window's words (CProgressCaptions), shown
// as lines by CConsoleOutput. A step's captions share one line, which ends when the step is
// done or the next one begins.
#pragma once
#include "app/ProgressCaptions.h"
#include "cli/ConsoleOutput.h"

class CConsoleProgress : public CProgressReport, private CProgressDisplay {
public:
    explicit CConsoleProgress(CConsoleOutput& output) : m_output(output), m_captions(*this) {}

    void Begin(Step step, int upper) override {
        m_output.EndCaption();
        m_captions.Begin(step, upper);
    }
    void Percent(Step step, int percent) override { m_captions.Percent(step, percent); }
    void StepIt() override {}
    void Done(Step step) override {
        m_captions.Done(step);
        m_output.EndCaption();
    }

private:
    void SetCaption(const char* caption) override { m_output.Caption(caption); }
    // A console has no bar to set up or advance: the captions carry the percentage.
    void Start(int) override {}

    CConsoleOutput& m_output;
    CProgressCaptions m_captions;
};
