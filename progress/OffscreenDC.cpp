// The off-screen drawing surface: a memory DC over a bitmap, copied out when done, and
// the buffer that keeps such a DC and bitmap between paints.
#include "progress/OffscreenDC.h"

COffscreenBuffer::~COffscreenBuffer() {
    Release();
}

void COffscreenBuffer::Release() {
    // Deleting the DC lets go of the bitmap selected into it, which can then be deleted.
    m_dc.DeleteDC();
    m_bitmap.DeleteObject();
    m_hInitialBitmap = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
}

CDC* COffscreenBuffer::Prepare(CDC* target, int width, int height) {
    if (m_dc.m_hDC == nullptr) {
        Release();
        m_dc.CreateCompatibleDC(target);
    }
    if (m_bitmap.m_hObject == nullptr || width > m_nWidth || height > m_nHeight) {
        // Grows to the largest size asked for so far, so that paints of different parts
        // of a window do not make a new bitmap in turn.
        const int newWidth = width > m_nWidth ? width : m_nWidth;
        const int newHeight = height > m_nHeight ? height : m_nHeight;
        if (m_hInitialBitmap != nullptr)
            m_dc.SelectObject(CBitmap::FromHandle(m_hInitialBitmap));
        m_bitmap.DeleteObject();
        m_bitmap.CreateCompatibleBitmap(target, newWidth, newHeight);
        const CBitmap* initial = m_dc.SelectObject(&m_bitmap);
        if (m_hInitialBitmap == nullptr && initial != nullptr)
            m_hInitialBitmap = static_cast<HBITMAP>(initial->m_hObject);
        m_nWidth = newWidth;
        m_nHeight = newHeight;
    }
    return &m_dc;
}

COffscreenDC::COffscreenDC(CDC* target, COffscreenBuffer* buffer)
    : m_pPrevBitmap(nullptr), m_pTargetDC(target), m_rcClip{0, 0, 0, 0},
      m_bOffscreen(!target->IsPrinting()), m_pBuffer(nullptr), m_nSavedState(0) {
    if (!m_bOffscreen) {
        m_hDC = m_pTargetDC->m_hDC;
        m_hAttribDC = m_pTargetDC->m_hAttribDC;
        m_bPrinting = m_pTargetDC->m_bPrinting;
        m_nSavedState = SaveDC();
        return;
    }
    m_pTargetDC->GetClipBox(&m_rcClip);
    const int width = m_rcClip.right - m_rcClip.left;
    const int height = m_rcClip.bottom - m_rcClip.top;
    if (buffer != nullptr) {
        m_pBuffer = buffer;
        const CDC* kept = buffer->Prepare(m_pTargetDC, width, height);
        m_hDC = kept->m_hDC;
        m_hAttribDC = kept->m_hAttribDC;
        m_nSavedState = SaveDC();
    } else {
        CreateCompatibleDC(m_pTargetDC);
        m_bmpOffscreen.CreateCompatibleBitmap(m_pTargetDC, width, height);
        m_pPrevBitmap = SelectObject(&m_bmpOffscreen);
    }
    // Logical coordinates stay those of the target: the bitmap's corner is the clip box's.
    SetWindowOrg(m_rcClip.left, m_rcClip.top);
}

COffscreenDC::~COffscreenDC() {
    if (m_bOffscreen) {
        m_pTargetDC->BitBlt(m_rcClip.left, m_rcClip.top, m_rcClip.right - m_rcClip.left,
                            m_rcClip.bottom - m_rcClip.top, this, m_rcClip.left, m_rcClip.top,
                            SRCCOPY);
        if (m_pPrevBitmap != nullptr)
            SelectObject(m_pPrevBitmap);
    }
    if (m_nSavedState != 0)
        RestoreDC(m_nSavedState);
    if (!m_bOffscreen || m_pBuffer != nullptr) {
        // The handles belong to the target or to the buffer; the base class must not
        // delete them.
        m_hDC = nullptr;
        m_hAttribDC = nullptr;
    }
}
