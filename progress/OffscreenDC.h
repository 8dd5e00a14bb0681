// COffscreenDC: draws into a memory bitmap the size of the target's clip box and copies
// it to the target in one BitBlt when destroyed, so a repaint never flickers. On a
// printer DC there is nothing to flicker: it then draws on the target's DC directly.
#pragma once
#include "framework/Gdi.h"

class COffscreenDC : public CDC {
public:
    explicit COffscreenDC(CDC* target);
    ~COffscreenDC() override;

private:
    CBitmap m_bmpOffscreen;
    CBitmap* m_pPrevBitmap;
    CDC* m_pTargetDC;
    RECT m_rcClip;
    BOOL m_bOffscreen;
};
