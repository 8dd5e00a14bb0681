// Starting the window's progress bar.
#include "app/ProgressBarDisplay.h"

void StartProgress(CTextProgressCtrl& progress, int upper) {
    progress.SetPos(0);
    // A range past 16 bits (a 32 KB flash read byte by byte) needs the 32-bit message.
    if (upper > 0x7FFF)
        progress.SendMessage(PBM_SETRANGE32, 0, upper);
    else
        progress.SetRange(0, static_cast<short>(upper));
    progress.SetStep(1);
}
