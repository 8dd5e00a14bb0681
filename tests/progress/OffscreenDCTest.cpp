// The off-screen DC: drawing lands on the target only when it is destroyed, only in
// the target's clip box and at the same logical place; on a printer DC it draws
// straight through and leaves the target's DC alive and as it was. A kept buffer lends the same DC
// to every paint, grows with the clip box, and each paint finds it as a new DC.
#include "progress/OffscreenDC.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);

// A 100 x 100 white 32-bit bitmap in a memory DC, owned by `dc`.
class TargetSurface {
public:
    TargetSurface() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 100;
        info.bmiHeader.biHeight = -100;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc.Attach(::CreateCompatibleDC(nullptr));
        m_previous = ::SelectObject(dc, m_bitmap);
        const RECT all{0, 0, 100, 100};
        dc.FillSolidRect(&all, kWhite);
    }
    ~TargetSurface() {
        ::SelectObject(dc, m_previous);
        dc.DeleteDC();
        ::DeleteObject(m_bitmap);
    }
    COLORREF At(int x, int y) { return ::GetPixel(dc, x, y); }

    CDC dc;

private:
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
};

TEST(OffscreenDC, CopiesOnlyTheClipBoxWhenDestroyed) {
    TargetSurface target;
    const HRGN clip = ::CreateRectRgn(10, 20, 30, 60);
    ::SelectClipRgn(target.dc, clip);
    ::DeleteObject(clip);
    {
        COffscreenDC offscreen(&target.dc);
        EXPECT_FALSE(offscreen.IsPrinting());
        EXPECT_NE(offscreen.m_hDC, target.dc.m_hDC);
        const RECT everything{0, 0, 100, 100};
        offscreen.FillSolidRect(&everything, kRed);
        const RECT corner{10, 20, 11, 21};
        offscreen.FillSolidRect(&corner, kWhite);
        EXPECT_EQ(target.At(15, 30), kWhite) << "nothing shows before the copy";
    }
    ::SelectClipRgn(target.dc, nullptr);
    EXPECT_EQ(target.At(10, 20), kWhite) << "drawn at the same logical point";
    EXPECT_EQ(target.At(11, 20), kRed);
    EXPECT_EQ(target.At(29, 59), kRed);
    EXPECT_EQ(target.At(30, 59), kWhite) << "outside the clip box";
    EXPECT_EQ(target.At(29, 60), kWhite);
    EXPECT_EQ(target.At(9, 30), kWhite);
}

TEST(OffscreenDC, OnAPrinterDrawsThroughAndLeavesTheTargetAlive) {
    COffscreenBuffer buffer;
    for (COffscreenBuffer* kept : {static_cast<COffscreenBuffer*>(nullptr), &buffer}) {
        TargetSurface target;
        target.dc.m_bPrinting = TRUE;
        {
            COffscreenDC offscreen(&target.dc, kept);
            EXPECT_TRUE(offscreen.IsPrinting());
            EXPECT_EQ(offscreen.m_hDC, target.dc.m_hDC);
            EXPECT_EQ(offscreen.m_hAttribDC, target.dc.m_hAttribDC);
            const RECT square{40, 40, 50, 50};
            offscreen.FillSolidRect(&square, kRed);
            EXPECT_EQ(target.At(45, 45), kRed) << "drawn straight onto the target";
            offscreen.SetTextColor(kRed);
        }
        EXPECT_EQ(::GetObjectType(target.dc.m_hDC), static_cast<DWORD>(OBJ_MEMDC));
        EXPECT_EQ(target.At(45, 45), kRed);
        EXPECT_EQ(::GetTextColor(target.dc), RGB(0, 0, 0)) << "the target's state is back";
    }
}

void ClipTarget(TargetSurface& target, int left, int top, int right, int bottom) {
    const HRGN clip = ::CreateRectRgn(left, top, right, bottom);
    ::SelectClipRgn(target.dc, clip);
    ::DeleteObject(clip);
}

TEST(OffscreenDC, AKeptBufferLendsTheSameDCAndGrowsWithTheClipBox) {
    TargetSurface target;
    COffscreenBuffer buffer;
    HDC first = nullptr;
    ClipTarget(target, 0, 0, 10, 10);
    {
        COffscreenDC offscreen(&target.dc, &buffer);
        first = offscreen.m_hDC;
        const RECT everything{0, 0, 100, 100};
        offscreen.FillSolidRect(&everything, kRed);
    }
    EXPECT_EQ(::GetObjectType(first), static_cast<DWORD>(OBJ_MEMDC)) << "kept after the paint";
    EXPECT_EQ(target.At(9, 9), kRed);
    EXPECT_EQ(target.At(10, 10), kWhite);

    ClipTarget(target, 5, 5, 100, 100);
    {
        COffscreenDC offscreen(&target.dc, &buffer);
        EXPECT_EQ(offscreen.m_hDC, first);
        const RECT everything{0, 0, 100, 100};
        offscreen.FillSolidRect(&everything, kRed);
    }
    ::SelectClipRgn(target.dc, nullptr);
    EXPECT_EQ(target.At(99, 99), kRed) << "the bitmap grew to the larger clip box";
    EXPECT_EQ(target.At(5, 60), kRed);
    EXPECT_EQ(target.At(4, 60), kWhite);
}

TEST(OffscreenDC, EachPaintFindsTheKeptDCAsANewOne) {
    TargetSurface target;
    COffscreenBuffer buffer;
    ClipTarget(target, 20, 30, 60, 70);
    CDC fresh;
    fresh.CreateCompatibleDC(&target.dc);
    const HFONT font = ::CreateFontA(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH, "Tahoma");
    {
        COffscreenDC offscreen(&target.dc, &buffer);
        offscreen.SelectObject(font);
        offscreen.SetTextColor(kRed);
        offscreen.SetBkMode(TRANSPARENT);
        const RECT corner{20, 30, 22, 32};
        offscreen.IntersectClipRect(&corner);
    }
    {
        COffscreenDC offscreen(&target.dc, &buffer);
        EXPECT_EQ(::GetCurrentObject(offscreen, OBJ_FONT), ::GetCurrentObject(fresh, OBJ_FONT));
        EXPECT_EQ(::GetTextColor(offscreen), ::GetTextColor(fresh));
        EXPECT_EQ(::GetBkMode(offscreen), ::GetBkMode(fresh));
        POINT origin{};
        ::GetWindowOrgEx(offscreen, &origin);
        EXPECT_EQ(origin.x, 20);
        EXPECT_EQ(origin.y, 30);
        const RECT everything{0, 0, 100, 100};
        offscreen.FillSolidRect(&everything, kRed);
    }
    EXPECT_EQ(target.At(59, 69), kRed) << "no clipping left from the paint before";
    ::DeleteObject(font);
}

TEST(GdiSelectObject, ReturnsTheOwnerOrAStandInForTheBitmapSelectedBefore) {
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&memory, 4, 4));
    CBitmap* original = memory.SelectObject(&bitmap);
    ASSERT_NE(original, nullptr);
    EXPECT_NE(original, &bitmap);
    EXPECT_EQ(CBitmap::FromHandle(static_cast<HBITMAP>(original->m_hObject)), original);
    EXPECT_EQ(memory.SelectObject(original), &bitmap) << "a bitmap we made maps to its object";
}

} // namespace
