// CProgressCtrl: the common-controls progress bar, driven through its messages.
#pragma once
#include "framework/Wnd.h"

#include <commctrl.h>

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) {
        SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
    }
    int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, position)); }
    int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, step)); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};
