// The text progress bar: its own range, position and step, the progress-bar messages
// answered from them, and the painting of bar, background and two-coloured text.
#include "progress/TextProgressCtrl.h"

#include "progress/OffscreenDC.h"
#include "progress/ProgressMath.h"

using progress_math::Extent;
using progress_math::Fraction;

namespace {

// The pixels of a `length`-pixel bar to fill. Outside 0..length a bar is empty or full;
// limiting it keeps every rectangle upright without changing a single visible pixel.
int VisibleExtent(int length, double fraction) {
    const int extent = Extent(length, fraction);
    return extent < 0 ? 0 : (extent > length ? length : extent);
}

COLORREF Resolve(COLORREF color, int systemColor) {
    return color == CLR_DEFAULT ? ::GetSysColor(systemColor) : color;
}

// Adds two ints the way the control's 32-bit arithmetic does: wrapping, never trapping.
int WrappingSum(int a, int b) {
    return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b));
}

} // namespace

BEGIN_MESSAGE_MAP(CTextProgressCtrl, CProgressCtrl)
ON_WM_PAINT()
ON_WM_SIZE()
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
ON_MESSAGE(WM_SETTEXT, OnSetText)
ON_MESSAGE(WM_GETTEXT, OnGetText)
ON_MESSAGE(PBM_SETRANGE, OnSetRange)
ON_MESSAGE(PBM_SETPOS, OnSetPos)
ON_MESSAGE(PBM_DELTAPOS, OnDeltaPos)
ON_MESSAGE(PBM_SETSTEP, OnSetStep)
ON_MESSAGE(PBM_STEPIT, OnStepIt)
ON_MESSAGE(PBM_SETRANGE32, OnSetRange32)
ON_MESSAGE(PBM_GETRANGE, OnGetRange)
ON_MESSAGE(PBM_GETPOS, OnGetPos)
ON_MESSAGE(PBM_SETBARCOLOR, OnSetBarColor)
ON_MESSAGE(PBM_SETBKCOLOR, OnSetBkColor)
ON_MESSAGE(WM_TPC_SETTEXTCOLOR, OnSetTextColor)
ON_MESSAGE(WM_TPC_SHOWTEXT, OnShowText)
END_MESSAGE_MAP()

CTextProgressCtrl::CTextProgressCtrl()
    : m_crText(CLR_DEFAULT), m_nPosition(0), m_nStep(1), m_nUpper(100), m_nLower(0),
      m_bTextVisible(TRUE), m_nLastExtent(-1), m_crBar(CLR_DEFAULT), m_crBk(CLR_DEFAULT) {}

CTextProgressCtrl::~CTextProgressCtrl() = default;

COLORREF CTextProgressCtrl::ReplaceColor(COLORREF& field, COLORREF color) {
    // Asks for a repaint even when the colour stays: a caller may rely on it.
    if (HasWindow())
        InvalidateAll();
    const COLORREF previous = field;
    field = color;
    return previous;
}

COLORREF CTextProgressCtrl::SetBarColor(COLORREF color) {
    return ReplaceColor(m_crBar, color);
}

COLORREF CTextProgressCtrl::SetBkColor(COLORREF color) {
    return ReplaceColor(m_crBk, color);
}

COLORREF CTextProgressCtrl::SetTextColor(COLORREF color) {
    return ReplaceColor(m_crText, color);
}

void CTextProgressCtrl::SetTextVisible(BOOL visible) {
    if (HasWindow() && visible != m_bTextVisible)
        InvalidateAll();
    m_bTextVisible = visible;
}

void CTextProgressCtrl::DrawClippedText(CDC& dc, const RECT& clip, const RECT& client, LPCSTR text,
                                        int length, COLORREF color) {
    // Clipped to `clip` alone: the clipping of an earlier pass goes first.
    dc.SelectClipRgn(nullptr);
    dc.IntersectClipRect(&clip);
    dc.SetTextColor(color);
    RECT area = client;
    dc.DrawText(text, length, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CTextProgressCtrl::OnPaint() {
    m_bRepaintAsked = false;
    CPaintDC paintDC(this);
    Paint(paintDC);
}

void CTextProgressCtrl::Paint(CDC& paintDC) {
    if (m_nLower >= m_nUpper)
        return;

    const COLORREF barColor = Resolve(m_crBar, COLOR_HIGHLIGHT);
    const COLORREF bkColor = Resolve(m_crBk, COLOR_WINDOW);
    RECT client;
    GetClientRect(&client);
    const double fraction = Fraction(m_nPosition, m_nLower, m_nUpper);

    // The DC hands back what is selected into it here when the paint ends.
    COffscreenDC dc(&paintDC, &m_bufOffscreen);
    // The text is set in the dialog's font; a progress bar has no font of its own.
    const HFONT font =
        reinterpret_cast<HFONT>(::SendMessageA(::GetParent(m_hWnd), WM_GETFONT, 0, 0));
    if (font != nullptr)
        dc.SelectObject(font);

    RECT bar = client;
    RECT background = client;
    const bool vertical = (GetStyle() & PBS_VERTICAL) != 0;
    if (vertical) {
        bar.top = bar.bottom - VisibleExtent(client.bottom - client.top, fraction);
        background.bottom = bar.top;
    } else {
        bar.right = bar.left + VisibleExtent(client.right - client.left, fraction);
        background.left = bar.right;
    }
    dc.FillSolidRect(&bar, barColor);
    dc.FillSolidRect(&background, bkColor);

    if (m_bTextVisible && !vertical) {
        char percent[16];
        LPCSTR text = m_strWindowText;
        int length = m_strWindowText.GetLength();
        if (length == 0) {
            length = progress_math::FormatPercent(percent, sizeof percent, fraction);
            text = percent;
        }
        // Over the bar the text takes the background's colour and over the rest the
        // bar's, so it stays readable where the bar's edge crosses it.
        dc.SetBkMode(TRANSPARENT);
        DrawClippedText(dc, bar, client, text, length,
                        m_crText == CLR_DEFAULT ? bkColor : m_crText);
        DrawClippedText(dc, background, client, text, length,
                        m_crText == CLR_DEFAULT ? barColor : m_crText);
    }
}

void CTextProgressCtrl::OnSize(UINT, int, int) {
    Default();
    m_nLastExtent = -1;
}

LRESULT CTextProgressCtrl::OnEraseBkgnd(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT CTextProgressCtrl::OnSetText(WPARAM, LPARAM lParam) {
    const auto text = reinterpret_cast<LPCSTR>(lParam);
    // The operations set their caption after every byte, mostly to the text it already
    // shows; the window's own copy holds that text already, so there is nothing to do.
    // (Passing it on costs a round trip to the window system each time.)
    if (text != nullptr && !m_strWindowText.IsEmpty() && m_strWindowText.Compare(text) == 0)
        return TRUE;
    // The window keeps its own copy too, for whoever asks the platform for the length.
    const LRESULT result = Default();
    if (text == nullptr) {
        if (!m_strWindowText.IsEmpty()) {
            m_strWindowText.Empty();
            InvalidateAll();
        }
    } else if (m_strWindowText.Compare(text) != 0) {
        m_strWindowText = text;
        InvalidateAll();
    }
    return result;
}

LRESULT CTextProgressCtrl::OnGetText(WPARAM wParam, LPARAM lParam) {
    auto* buffer = reinterpret_cast<LPSTR>(lParam);
    if (buffer == nullptr)
        return 0;
    const int size = wParam > static_cast<WPARAM>(INT_MAX) ? INT_MAX : static_cast<int>(wParam);
    return progress_math::CopyWholeCharacters(m_strWindowText, m_strWindowText.GetLength(), buffer,
                                              size, CP_ACP);
}

LRESULT CTextProgressCtrl::OnSetRange(WPARAM, LPARAM lParam) {
    // Both halves are unsigned 16-bit numbers: a lower bound of -10 arrives as 65526.
    return OnSetRange32(LOWORD(lParam), HIWORD(lParam));
}

LRESULT CTextProgressCtrl::OnSetRange32(WPARAM wParam, LPARAM lParam) {
    const LRESULT previous = MAKELRESULT(LOWORD(m_nLower), LOWORD(m_nUpper));
    m_nUpper = static_cast<int>(lParam);
    m_nLower = static_cast<int>(wParam);
    return previous;
}

LRESULT CTextProgressCtrl::OnSetPos(WPARAM wParam, LPARAM) {
    if (!HasWindow())
        return -1;
    const int previous = m_nPosition;
    m_nPosition = static_cast<int>(wParam);

    RECT client;
    GetClientRect(&client);
    const int length =
        (GetStyle() & PBS_VERTICAL) != 0 ? client.bottom - client.top : client.right - client.left;
    const int extent = Extent(length, Fraction(m_nPosition, m_nLower, m_nUpper));
    // Only a move of the bar's edge by a whole pixel is worth a repaint; when there is
    // one, it is done before returning, so a busy caller's loop still shows progress.
    if (extent != m_nLastExtent) {
        m_nLastExtent = extent;
        ShowNewEdge();
    }
    return previous;
}

// Shows the bar's new edge before returning, so a busy caller's loop still shows progress.
// The whole bar is drawn at once on its own DC, the same pixels a paint draws: under Wine,
// asking for a paint and answering it costs more than the drawing itself. A repaint this
// control asked for (a new caption, a colour) is drawn with it, so that wait is over; a
// part uncovered by another window still gets its own paint. A hidden bar is painted when
// it is shown.
void CTextProgressCtrl::ShowNewEdge() {
    if (!::IsWindowVisible(m_hWnd))
        return;
    {
        CClientDC dc(this);
        RECT client;
        GetClientRect(&client);
        dc.IntersectClipRect(&client); // a class DC shared with the parent would reach past it
        Paint(dc);
    }
    if (m_bRepaintAsked) {
        m_bRepaintAsked = false;
        ::ValidateRect(m_hWnd, nullptr);
    }
}

LRESULT CTextProgressCtrl::OnDeltaPos(WPARAM wParam, LPARAM) {
    return SendMessage(PBM_SETPOS, WrappingSum(m_nPosition, static_cast<int>(wParam)));
}

LRESULT CTextProgressCtrl::OnStepIt(WPARAM, LPARAM) {
    return SendMessage(PBM_SETPOS, WrappingSum(m_nPosition, m_nStep));
}

LRESULT CTextProgressCtrl::OnSetStep(WPARAM wParam, LPARAM) {
    const int previous = m_nStep;
    m_nStep = static_cast<int>(wParam);
    return previous;
}

LRESULT CTextProgressCtrl::OnGetRange(WPARAM wParam, LPARAM lParam) {
    if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
        range->iLow = m_nLower;
        range->iHigh = m_nUpper;
    }
    return wParam != 0 ? m_nLower : m_nUpper;
}

LRESULT CTextProgressCtrl::OnGetPos(WPARAM, LPARAM) {
    return m_nPosition;
}

LRESULT CTextProgressCtrl::OnSetBarColor(WPARAM, LPARAM lParam) {
    return SetBarColor(static_cast<COLORREF>(lParam));
}

LRESULT CTextProgressCtrl::OnSetBkColor(WPARAM, LPARAM lParam) {
    return SetBkColor(static_cast<COLORREF>(lParam));
}

LRESULT CTextProgressCtrl::OnSetTextColor(WPARAM, LPARAM lParam) {
    return SetTextColor(static_cast<COLORREF>(lParam));
}

LRESULT CTextProgressCtrl::OnShowText(WPARAM wParam, LPARAM) {
    SetTextVisible(static_cast<BOOL>(wParam));
    return 0;
}
