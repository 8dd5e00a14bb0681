// The off-screen drawing surface: a memory DC over a bitmap, copied out when done.
#include "progress/OffscreenDC.h"

COffscreenDC::COffscreenDC(CDC* target)
    : m_pPrevBitmap(nullptr), m_pTargetDC(target), m_rcClip{0, 0, 0, 0},
      m_bOffscreen(!target->IsPrinting()) {
    if (m_bOffscreen) {
        m_pTargetDC->GetClipBox(&m_rcClip);
        CreateCompatibleDC(m_pTargetDC);
        m_bmpOffscreen.CreateCompatibleBitmap(m_pTargetDC, m_rcClip.right - m_rcClip.left,
                                              m_rcClip.bottom - m_rcClip.top);
        m_pPrevBitmap = SelectObject(&m_bmpOffscreen);
        // Logical coordinates stay those of the target: the bitmap's corner is the clip box's.
        SetWindowOrg(m_rcClip.left, m_rcClip.top);
    } else {
        m_hDC = m_pTargetDC->m_hDC;
        m_hAttribDC = m_pTargetDC->m_hAttribDC;
        m_bPrinting = m_pTargetDC->m_bPrinting;
    }
}

COffscreenDC::~COffscreenDC() {
    if (m_bOffscreen) {
        m_pTargetDC->BitBlt(m_rcClip.left, m_rcClip.top, m_rcClip.right - m_rcClip.left,
                            m_rcClip.bottom - m_rcClip.top, this, m_rcClip.left, m_rcClip.top,
                            SRCCOPY);
        if (m_pPrevBitmap != nullptr)
            SelectObject(m_pPrevBitmap);
    } else {
        // The handles belong to the target; the base class must not delete them.
        m_hDC = nullptr;
        m_hAttribDC = nullptr;
    }
}
