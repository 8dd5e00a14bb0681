// CTextProgressCtrl: a progress bar that paints itself: a solid bar, the rest in a
// second colour, and one centred line of text (its window text, or the percentage)
// that changes colour exactly at the bar's edge. It keeps its own range, position
// and step and answers the progress-bar messages itself.
#pragma once
#include "framework/Gdi.h"
#include "framework/ProgressCtrl.h"
#include "framework/String.h"
#include "progress/OffscreenDC.h"

#define WM_TPC_SETTEXTCOLOR (WM_USER + 100)
#define WM_TPC_SHOWTEXT (WM_USER + 101)

class CTextProgressCtrl : public CProgressCtrl {
public:
    CTextProgressCtrl();
    ~CTextProgressCtrl() override;

    COLORREF SetBarColor(COLORREF color);
    COLORREF GetBarColor() const { return m_crBar; }
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const { return m_crBk; }
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return m_crText; }
    void SetTextVisible(BOOL visible);

protected:
    COLORREF m_crText;
    int m_nPosition;
    int m_nStep;
    int m_nUpper;
    int m_nLower;
    CString m_strWindowText;
    BOOL m_bTextVisible;
    int m_nLastExtent;
    COLORREF m_crBar;
    COLORREF m_crBk;
    // The memory DC and bitmap every paint draws into. Kept, not made per paint: a bar
    // that moves by a pixel at a time repaints about a thousand times in one Auto.
    COffscreenBuffer m_bufOffscreen;

    void OnPaint();
    // Draws the whole bar, its text included, on `dc` (through the kept off-screen buffer).
    virtual void Paint(CDC& dc);
    void ShowNewEdge();
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM);
    LRESULT OnSetText(WPARAM, LPARAM);
    LRESULT OnGetText(WPARAM, LPARAM);
    LRESULT OnSetRange(WPARAM, LPARAM);
    LRESULT OnSetPos(WPARAM, LPARAM);
    LRESULT OnDeltaPos(WPARAM, LPARAM);
    LRESULT OnSetStep(WPARAM, LPARAM);
    LRESULT OnStepIt(WPARAM, LPARAM);
    LRESULT OnSetRange32(WPARAM, LPARAM);
    LRESULT OnGetRange(WPARAM, LPARAM);
    LRESULT OnGetPos(WPARAM, LPARAM);
    LRESULT OnSetBarColor(WPARAM, LPARAM);
    LRESULT OnSetBkColor(WPARAM, LPARAM);
    LRESULT OnSetTextColor(WPARAM, LPARAM);
    LRESULT OnShowText(WPARAM, LPARAM);

private:
    // Set while a repaint this control asked for is outstanding: a step that draws the bar
    // then validates the window, which under Wine is a round trip worth skipping otherwise.
    bool m_bRepaintAsked = false;

    BOOL HasWindow() const { return ::IsWindow(m_hWnd); }
    // Marks the whole control for repainting, background included.
    void InvalidateAll() {
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        m_bRepaintAsked = true;
    }
    // The colour setters: invalidate when there is a window, store, return the old value.
    COLORREF ReplaceColor(COLORREF& field, COLORREF color);
    // Draws `text` centred in `client`, in `color`, only inside `clip`.
    static void DrawClippedText(CDC& dc, const RECT& clip, const RECT& client, LPCSTR text,
                                int length, COLORREF color);

    DECLARE_MESSAGE_MAP()
};
