// CProgressCaptions: the device operations' progress as the program shows it, each step's
// captions in the main window's progress bar ("Erase", "Blank Check 37%", "Verfify Ok").
#pragma once
#include "ops/OperationReports.h"
#include "progress/TextProgressCtrl.h"

// Position 0, range 0..upper, step 1: how every operation and the HEX load start the bar.
void StartProgress(CTextProgressCtrl& progress, int upper);

class CProgressCaptions : public CProgressReport {
public:
    explicit CProgressCaptions(CTextProgressCtrl& progress) : m_progress(progress) {}

    void Begin(Step step, int upper) override;
    void Percent(Step step, int percent) override;
    void StepIt() override;
    void Done(Step step) override;

private:
    CTextProgressCtrl& m_progress;
};
