// CSceneWnd: set-up of the back buffers and image table, the frame tick and composition, painting.
#include "window/SceneWnd.h"

#include <algorithm>

#include "app/SaverApp.h"
#include "framework/WinApi.h"
#include "resource.h"

namespace {

// Bitmap resources of image-table entries 2..65, in order, as runs of consecutive ids (entries 0
// and 1 are loaded with the title).
struct IdRun {
    UINT firstId;
    UINT lastId;
};
constexpr IdRun kFigureRuns[] = {
    {IDB_TOPDOOR_FIRST + 1, IDB_TOPDOOR_LAST - 1},
    {IDB_TOPDOOR_FIRST, IDB_TOPDOOR_FIRST},
    {IDB_RIGHTDOOR_LAST, IDB_RIGHTDOOR_LAST},
    {IDB_RIGHTDOOR_FRAME1, IDB_RIGHTDOOR_LAST - 1},
    {IDB_RIGHTDOOR_FIRST, IDB_RIGHTDOOR_FRAME1 - 1},
    {IDB_MIDDLEDOOR_FRAME0, IDB_MIDDLEDOOR_FRAME0},
    {IDB_MIDDLEDOOR_FIRST, IDB_MIDDLEDOOR_LAST},
    {IDB_FLOORDOOR_A_FIRST, IDB_FLOORDOOR_A_LAST},
    {IDB_FLOORDOOR_FRAME5, IDB_FLOORDOOR_FRAME5},
    {IDB_FLOORDOOR_B_FIRST, IDB_FLOORDOOR_B_LAST},
    {IDB_LOWERDOOR_FIRST, IDB_LOWERDOOR_LAST},
    {IDB_LOWERDOOR_FRAME12, IDB_LOWERDOOR_FRAME12},
    {IDB_FLASH, IDB_FLASH},
};
constexpr int kFirstFigureEntry = 2;

constexpr int RunEntries() {
    int n = 0;
    for (const IdRun& run : kFigureRuns) n += static_cast<int>(run.lastId - run.firstId) + 1;
    return n;
}
static_assert(kFirstFigureEntry + RunEntries() == CSceneWnd::kLoadedImages);

inline LONG Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

inline RECT Union(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

}  // namespace

BEGIN_MESSAGE_MAP(CSceneWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_TIMER()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CSceneWnd::CSceneWnd(BOOL bAutoDelete)
    : m_bAutoDelete(bAutoDelete),
      m_nScreenWidth(0),
      m_nScreenHeight(0),
      m_rcDirty{},
      m_nCurrentList(1),
      m_nDirtyCount{0, 0},
      m_drawn{},
      m_nDrawnCount(0) {}

CSceneWnd::~CSceneWnd() {
    // The palette goes first; the members then fall in reverse order of declaration: director
    // (with its figures), masks 249..0, images 249..0, background, frame, and the window part.
    CDib::ReleaseSharedPalette();
}

// ---- creation -------------------------------------------------------------------------------

BOOL CSceneWnd::CreateSceneWindow(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT /*nID*/,
                                  UINT /*nReserved*/) {
    const std::string className = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, IDC_BLANK);
    return CreateEx(dwExStyle, className.c_str(), "", dwStyle, rect, pParentWnd, 0, nullptr);
}

int CSceneWnd::GetScreenWidth() { return m_nScreenWidth; }
int CSceneWnd::GetScreenHeight() { return m_nScreenHeight; }
int CSceneWnd::GetImageWidth(int nIndex) { return m_images[nIndex].m_pInfo->bmiHeader.biWidth; }
int CSceneWnd::GetImageHeight(int nIndex) { return m_images[nIndex].m_pInfo->bmiHeader.biHeight; }

void CSceneWnd::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

int CSceneWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
    if (theApp.m_bFullScreen == 0) return 0;  // the preview only paints its picture

    CDC dcDisplay;
    dcDisplay.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    CDC dcMem;
    dcMem.CreateCompatibleDC(&dcDisplay);

    if (dcDisplay.GetDeviceCaps(BITSPIXEL) == 8) {
        MessageBox("This Glimmerfiend requires 16-bit colour mode or higher to run.", "Unsupported Screen Mode", MB_OK);
        PostMessage(WM_CLOSE, 0, 0);
        return -1;
    }

    RECT monitors[CMonitorLayout::kMaxMonitors];
    m_layout.Init(monitors, AfxGetMonitorRects(monitors, CMonitorLayout::kMaxMonitors), theApp.m_nScale);
    m_nScreenWidth = m_layout.GetCanvasWidth();
    m_nScreenHeight = m_layout.GetCanvasHeight();
    if (!m_bmpBackground.CreateCompatibleBitmap(&dcDisplay, m_nScreenWidth, m_nScreenHeight)) return -1;
    if (!m_bmpFrame.CreateCompatibleBitmap(&dcDisplay, m_nScreenWidth, m_nScreenHeight)) return -1;

    const RECT rcScreen{0, 0, m_nScreenWidth, m_nScreenHeight};
    CBitmap* pOld = dcMem.SelectObject(&m_bmpBackground);
    dcMem.FillSolidRect(rcScreen, RGB(0, 0, 0));
    dcMem.SelectObject(&m_bmpFrame);
    dcMem.FillSolidRect(rcScreen, RGB(0, 0, 0));

    // The background is loaded first (its colours become the shared palette the title is mapped
    // to) but drawn after the title is on the screen: both bitmaps are black beneath the title
    // until then, as the window is.
    dcMem.SelectObject(&m_bmpBackground);
    CDib background;
    const BOOL bLoaded = background.Load(&dcMem, IDB_BACKGROUND, TRUE, nullptr);
    dcMem.SelectObject(pOld);
    if (!bLoaded || !LoadTitleImages(TRUE)) return -1;
    if (CDC* pDC = GetDC()) {
        ShowTitle(pDC, FALSE);  // on the screen while the rest loads
        ReleaseDC(pDC);
    }
    const int x = (m_nScreenWidth - CSceneDirector::kSceneWidth) / 2;
    const int y = (m_nScreenHeight - CSceneDirector::kSceneHeight) / 2;
    dcMem.SelectObject(&m_bmpBackground);
    background.Draw(&dcMem, x, y, TRUE);
    dcMem.SelectObject(&m_bmpFrame);
    background.Draw(&dcMem, x, y, TRUE);
    dcMem.SelectObject(pOld);
    background.Free();
    // The first frame restores the background over the title and copies that area out.
    m_rcDirty[1 - m_nCurrentList][0] = GetTitleRect();
    m_nDirtyCount[1 - m_nCurrentList] = 1;
    if (!LoadFigureImages(TRUE)) return -1;
    m_nTitleTicksLeft = m_nTitleHoldTicks;

    m_director.Attach(this);
    SetTimer(kFrameTimer, kFramePeriodMs, nullptr);
    return 0;
}

BOOL CSceneWnd::LoadImageSlot(int nIndex, UINT nResourceId, BOOL bRemap) {
    // A display-format copy only for the mask: the key colour is compared after conversion.
    CBitmap ddb;
    if (!ddb.LoadBitmap(nResourceId)) return FALSE;

    CDC dcImage;
    dcImage.CreateCompatibleDC(nullptr);
    if (!m_images[nIndex].Load(&dcImage, nResourceId, bRemap, nullptr)) return FALSE;

    const int w = GetImageWidth(nIndex);
    const int h = GetImageHeight(nIndex);
    if (!m_masks[nIndex].CreateBitmap(w, h, 1, 1, nullptr)) return FALSE;

    CDC dcMask;
    CDC dcCopy;
    dcMask.CreateCompatibleDC(nullptr);
    dcCopy.CreateCompatibleDC(nullptr);
    CBitmap* pOldMask = dcMask.SelectObject(&m_masks[nIndex]);
    CBitmap* pOldCopy = dcCopy.SelectObject(&ddb);
    dcCopy.SetBkColor(RGB(255, 0, 255));
    dcMask.BitBlt(0, 0, w, h, &dcCopy, 0, 0, SRCCOPY);
    dcMask.SelectObject(pOldMask);
    dcCopy.SelectObject(pOldCopy);
    return TRUE;
}

BOOL CSceneWnd::LoadTitleImages(BOOL bRemap) {
    if (!LoadImageSlot(1, IDB_TOPDOOR_LAST, bRemap)) return FALSE;
    return LoadImageSlot(0, IDB_TITLE, bRemap);
}

BOOL CSceneWnd::LoadFigureImages(BOOL bRemap) {
    int nIndex = kFirstFigureEntry;
    for (const IdRun& run : kFigureRuns) {
        for (UINT id = run.firstId; id <= run.lastId; ++id) {
            if (!LoadImageSlot(nIndex++, id, bRemap)) return FALSE;
        }
    }
    return TRUE;
}

RECT CSceneWnd::GetTitleRect() {
    const int w = GetImageWidth(0);
    const int h = GetImageHeight(0);
    const int y = (GetScreenHeight() - h) / 2;
    const int x = (GetScreenWidth() - w) / 2;
    return RECT{x, y, x + w, y + h};
}

void CSceneWnd::ShowTitle(CDC* pDC, BOOL bOverScene) {
    const RECT rc = GetTitleRect();
    CDC dcFrame;
    CDC dcBack;
    dcFrame.CreateCompatibleDC(pDC);
    dcBack.CreateCompatibleDC(pDC);
    CBitmap* pOldFrame = dcFrame.SelectObject(&m_bmpFrame);
    CBitmap* pOldBack = dcBack.SelectObject(&m_bmpBackground);
    if (!bOverScene) dcFrame.FillSolidRect(rc, RGB(0, 0, 0));  // the window is still black beneath
    m_images[0].DrawMasked(&dcFrame, rc.left, rc.top, &m_masks[0], TRUE);
    CopyOut(pDC, &dcFrame, rc);
    BlitRect(&dcFrame, &dcBack, rc);
    dcFrame.SelectObject(pOldFrame);
    dcBack.SelectObject(pOldBack);
}

// ---- frames -----------------------------------------------------------------------------------

void CSceneWnd::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kFrameTimer && m_nTitleTicksLeft > 0) {
        --m_nTitleTicksLeft;  // the title stays; the scene has not started
    } else if (nIDEvent == kFrameTimer) {
        m_director.Tick();
        CDC* pDC = FiguresChanged() ? GetDC() : nullptr;  // an idle tick restores, draws and copies nothing
        if (pDC != nullptr) {
            RenderFrame(pDC);
            ReleaseDC(pDC);
        }
    } else {
        Default();
    }
    // A tick that ran late is not followed at once by a catch-up tick.
    MSG msg;
    PeekMessage(&msg, m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE);
}

BOOL CSceneWnd::IsDrawableImage(int nIndex) const {
    return nIndex >= 0 && nIndex < kImageCount && m_images[nIndex].m_hBitmap != nullptr &&
           m_images[nIndex].m_pInfo != nullptr;
}

BOOL CSceneWnd::FiguresChanged() {
    const int nPrevious = 1 - m_nCurrentList;
    int x = 0;
    int y = 0;
    int image = 0;
    int n = 0;
    for (int pos = m_director.GetNextInSlotOrder(0, &x, &y, &image); pos != 0;
         pos = m_director.GetNextInSlotOrder(pos, &x, &y, &image)) {
        if (!IsDrawableImage(image)) continue;
        if (n >= m_nDirtyCount[nPrevious]) return TRUE;
        const RECT& r = m_rcDirty[nPrevious][n++];
        if (r.left != x || r.top != y || r.right != x + GetImageWidth(image) || r.bottom != y + GetImageHeight(image))
            return TRUE;
    }
    if (n != m_nDirtyCount[nPrevious]) return TRUE;
    n = 0;
    for (int pos = m_director.GetNextInDrawOrder(0, &x, &y, &image); pos != 0;
         pos = m_director.GetNextInDrawOrder(pos, &x, &y, &image)) {
        if (!IsDrawableImage(image)) continue;
        if (n >= m_nDrawnCount) return TRUE;
        const Drawn& d = m_drawn[n++];
        if (d.x != x || d.y != y || d.image != image) return TRUE;
    }
    return n != m_nDrawnCount ? TRUE : FALSE;
}

void CSceneWnd::RenderFrame(CDC* pTarget) {
    CDC dcBack;
    CDC dcFrame;
    dcBack.CreateCompatibleDC(pTarget);
    dcFrame.CreateCompatibleDC(pTarget);
    CBitmap* pOldBack = dcBack.SelectObject(&m_bmpBackground);
    CBitmap* pOldFrame = dcFrame.SelectObject(&m_bmpFrame);

    const int nCurrent = m_nCurrentList;
    const int nPrevious = 1 - nCurrent;

    // Restore every place a figure stood in the last frame.
    for (int i = 0; i < m_nDirtyCount[nPrevious]; ++i) BlitRect(&dcFrame, &dcBack, m_rcDirty[nPrevious][i]);

    // Rebuild the current list from the figures' new places, in slot order.
    int x = 0;
    int y = 0;
    int image = 0;
    int& count = m_nDirtyCount[nCurrent];
    count = 0;
    for (int pos = m_director.GetNextInSlotOrder(0, &x, &y, &image); pos != 0;
         pos = m_director.GetNextInSlotOrder(pos, &x, &y, &image)) {
        if (!IsDrawableImage(image) || count >= kMaxDirty) continue;
        m_rcDirty[nCurrent][count++] = RECT{x, y, x + GetImageWidth(image), y + GetImageHeight(image)};
    }

    // Draw back to front.
    m_nDrawnCount = 0;
    for (int pos = m_director.GetNextInDrawOrder(0, &x, &y, &image); pos != 0;
         pos = m_director.GetNextInDrawOrder(pos, &x, &y, &image)) {
        if (!IsDrawableImage(image)) continue;
        if (m_nDrawnCount < kMaxDirty) m_drawn[m_nDrawnCount++] = Drawn{x, y, image};
        m_images[image].DrawMasked(&dcFrame, x, y, &m_masks[image], TRUE);
    }

    // Copy out: old and new rectangles pairwise, merged when the union is no larger.
    const int n = std::min(m_nDirtyCount[0], m_nDirtyCount[1]);
    for (int i = 0; i < n; ++i) {
        const RECT& a = m_rcDirty[0][i];
        const RECT& b = m_rcDirty[1][i];
        const RECT u = Union(a, b);
        if (Area(a) + Area(b) < Area(u)) {
            CopyOut(pTarget, &dcFrame, a);
            CopyOut(pTarget, &dcFrame, b);
        } else {
            CopyOut(pTarget, &dcFrame, u);
        }
    }
    for (int i = n; i < m_nDirtyCount[0]; ++i) CopyOut(pTarget, &dcFrame, m_rcDirty[0][i]);
    for (int i = n; i < m_nDirtyCount[1]; ++i) CopyOut(pTarget, &dcFrame, m_rcDirty[1][i]);

    m_nCurrentList = 1 - m_nCurrentList;

    dcBack.SelectObject(pOldBack);
    dcFrame.SelectObject(pOldFrame);
}

void CSceneWnd::BlitRect(CDC* pTarget, CDC* pSource, const RECT& rect) {
    pTarget->BitBlt(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, pSource, rect.left, rect.top,
                    SRCCOPY);
}

void CSceneWnd::CopyOut(CDC* pTarget, CDC* pSource, const RECT& rect) { m_layout.CopyOut(pTarget, pSource, rect); }

// ---- painting ---------------------------------------------------------------------------------

void CSceneWnd::OnPaint() {
    PAINTSTRUCT ps;
    CDC* pDC = BeginPaint(&ps);
    RECT rcClient;
    GetClientRect(&rcClient);
    if (pDC == nullptr) {
        EndPaint(&ps);
        return;
    }
    if (theApp.m_bFullScreen == 0) {
        PaintPreview(pDC, rcClient);
        EndPaint(&ps);
        return;
    }
    {
        CDC dcMem;
        if (dcMem.CreateCompatibleDC(pDC)) {
            CBitmap* pOld = dcMem.SelectObject(&m_bmpBackground);
            // Black where no monitor's picture reaches (between monitors, around small factors).
            if (!m_layout.IsIdentity()) pDC->BitBlt(0, 0, rcClient.right, rcClient.bottom, nullptr, 0, 0, BLACKNESS);
            CopyOut(pDC, &dcMem, RECT{0, 0, m_nScreenWidth, m_nScreenHeight});
            dcMem.SelectObject(pOld);
        }
        // The figures are drawn where they stand; the director is not ticked. While the title is
        // held, it is drawn again instead.
        if (m_nTitleTicksLeft > 0) {
            ShowTitle(pDC, TRUE);
        } else {
            RenderFrame(pDC);
        }
    }
    EndPaint(&ps);
}

void CSceneWnd::PaintPreview(CDC* pDC, const RECT& rcClient) {
    // Loaded anew for every paint: nothing is kept between paints.
    CBitmap picture;
    BITMAP bm{};
    const BOOL bLoaded = picture.LoadBitmap(IDB_PREVIEW) && picture.GetBitmap(&bm);
    const int bw = bLoaded ? bm.bmWidth : 0;
    const int bh = bLoaded ? bm.bmHeight : 0;

    const int w = rcClient.right - rcClient.left;
    const int h = rcClient.bottom - rcClient.top;
    const int x = w - bw >= 0 ? (w - bw) / 2 : 0;
    const int y = h - bh >= 0 ? (h - bh) / 2 : 0;

    pDC->BitBlt(rcClient.left, rcClient.top, w, h, nullptr, 0, 0, WHITENESS);
    if (!bLoaded) return;
    CDC dcMem;
    if (!dcMem.CreateCompatibleDC(pDC)) return;
    CBitmap* pOld = dcMem.SelectObject(&picture);
    pDC->BitBlt(x, y, bw, bh, &dcMem, 0, 0, SRCCOPY);
    dcMem.SelectObject(pOld);
}
