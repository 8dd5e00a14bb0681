// Starting the window's progress bar.
#include "app/ProgressBarDisplay.h"

void StartProgress(CTextProgressCtrl& progress, int upper) {
    progress.SetPos(0);
    progress.SetRange(0, static_cast<short>(upper));
    progress.SetStep(1);
}
