// The window's progress bar as the display of the operations' captions and steps.
#pragma once
#include "app/ProgressCaptions.h"
#include "progress/TextProgressCtrl.h"

// Position 0, range 0..upper, step 1: how every operation and the HEX load start the bar.
void StartProgress(CTextProgressCtrl& progress, int upper);

class CProgressBarDisplay : public CProgressDisplay {
public:
    explicit CProgressBarDisplay(CTextProgressCtrl& progress) : m_progress(progress) {}

    void SetCaption(const char* caption) override { m_progress.SetWindowText(caption); }
    void Start(int upper) override { StartProgress(m_progress, upper); }
    void StepIt() override { m_progress.StepIt(); }

private:
    CTextProgressCtrl& m_progress;
};
