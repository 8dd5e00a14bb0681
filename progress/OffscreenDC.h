// COffscreenDC: draws into a memory bitmap that covers the target's clip box and copies
// that box to the target in one BitBlt when destroyed, so a repaint never flickers. On a
// printer DC there is nothing to flicker: it then draws on the target's DC directly.
// COffscreenBuffer keeps a memory DC and its bitmap from one paint to the next, for a
// window that repaints often: under Wine, making a memory DC and a bitmap for the screen
// costs several times what the drawing itself does (each asks the display for its format).
#pragma once
#include "framework/Gdi.h"

class COffscreenBuffer {
public:
    COffscreenBuffer() = default;
    COffscreenBuffer(const COffscreenBuffer&) = delete;
    COffscreenBuffer& operator=(const COffscreenBuffer&) = delete;
    ~COffscreenBuffer();

    // The kept memory DC, holding a bitmap compatible with `target` of at least
    // width x height pixels; made when there is none yet, made larger when it is too small.
    // Should the display change its colour depth later, the copy to the screen converts.
    CDC* Prepare(CDC* target, int width, int height);

private:
    // Deletes the bitmap and the memory DC.
    void Release();

    CDC m_dc;
    CBitmap m_bitmap;
    HBITMAP m_hInitialBitmap = nullptr; // the new DC's own bitmap, selected back to swap ours
    int m_nWidth = 0;
    int m_nHeight = 0;
};

class COffscreenDC : public CDC {
public:
    // Without a buffer, makes a memory DC and a bitmap for this one paint. With one, draws
    // into the buffer's kept DC and bitmap. A DC only borrowed (the buffer's, or a printer
    // DC drawn on directly) has its state saved here and restored when this object goes:
    // whatever the drawing selects or sets stays behind in neither, and each paint into a
    // kept buffer starts from the state of a fresh memory DC.
    explicit COffscreenDC(CDC* target, COffscreenBuffer* buffer = nullptr);
    ~COffscreenDC() override;

private:
    CBitmap m_bmpOffscreen;
    CBitmap* m_pPrevBitmap;
    CDC* m_pTargetDC;
    RECT m_rcClip;
    BOOL m_bOffscreen;
    COffscreenBuffer* m_pBuffer; // the kept buffer whose DC this object borrows, or null
    int m_nSavedState;           // what SaveDC returned on a borrowed DC; 0 for one of our own
};
