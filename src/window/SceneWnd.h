// CSceneWnd: the window that carries the scene: back buffers, image table, director, frame timer.
#pragma once

#include "framework/Bitmap.h"
#include "framework/DC.h"
#include "framework/Wnd.h"
#include "imaging/Dib.h"
#include "scene/SceneDirector.h"
#include "scene/SceneHost.h"
#include "window/MonitorLayout.h"

class CSceneWnd : public CWnd, public CSceneHost {
public:
    // Image table and dirty-list sizes; the director never reports more figures than it has slots.
    static constexpr int kImageCount = 250;
    static constexpr int kLoadedImages = 66;
    static constexpr int kMaxDirty = CSceneDirector::kSlotCount;
    static constexpr UINT_PTR kFrameTimer = 1;
    static constexpr UINT kFramePeriodMs = 50;

    explicit CSceneWnd(BOOL bAutoDelete);
    ~CSceneWnd() override;

    // Registers the shared class on first use, then creates the window (WM_CREATE runs inside).
    // The last two arguments are accepted for the callers' sake and not used.
    virtual BOOL CreateSceneWindow(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                                   UINT nReserved);
    int GetScreenWidth() override;
    int GetScreenHeight() override;
    virtual int GetImageWidth(int nIndex);
    virtual int GetImageHeight(int nIndex);

protected:
    void PostNcDestroy() override;

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnTimer(UINT_PTR nIDEvent);
    void OnPaint();

    // Creation steps. Each returns FALSE when a bitmap resource could not be loaded, which
    // fails the creation: without an image's size neither its mask nor its dirty rectangle exists.
    BOOL LoadImageSlot(int nIndex, UINT nResourceId, BOOL bRemap);
    BOOL LoadTitleImages(BOOL bRemap);
    BOOL LoadFigureImages(BOOL bRemap);
    // Where the title picture sits: centred on the scene.
    RECT GetTitleRect();
    // Draws the title centred on the scene (over the scene, or over black as the window starts)
    // and copies it to every monitor; the frame bitmap keeps the clean scene.
    void ShowTitle(CDC* pDC, BOOL bOverScene);

    // Composes one frame into m_bmpFrame and copies the changed rectangles to pTarget.
    void RenderFrame(CDC* pTarget);
    void BlitRect(CDC* pTarget, CDC* pSource, const RECT& rect);
    // A rectangle of the frame bitmap to the window: to every monitor, enlarged as it asks.
    void CopyOut(CDC* pTarget, CDC* pSource, const RECT& rect);
    void PaintPreview(CDC* pDC, const RECT& rcClient);

    // An entry the composition may use: in the table and loaded (entries 66..249 stay empty).
    BOOL IsDrawableImage(int nIndex) const;
    // After a tick: would a frame restore or draw anything other than the last one did? A frame
    // over the same dirty list drawing the same images at the same places changes no pixel.
    BOOL FiguresChanged();

    BOOL m_bAutoDelete;
    CBitmap m_bmpFrame;
    CBitmap m_bmpBackground;
    // The composition surface (the scene's 1x frame), centred on each monitor by m_layout.
    int m_nScreenWidth;
    int m_nScreenHeight;
    CMonitorLayout m_layout;
    // Frame-timer ticks that only keep the title on the screen (set by the full-screen window).
    int m_nTitleHoldTicks = 0;
    int m_nTitleTicksLeft = 0;
    CDib m_images[kImageCount];
    CBitmap m_masks[kImageCount];
    RECT m_rcDirty[2][kMaxDirty];
    int m_nCurrentList;
    int m_nDirtyCount[2];
    struct Drawn {
        int x, y, image;
    };
    Drawn m_drawn[kMaxDirty];  // what the last frame drew, back to front
    int m_nDrawnCount;
    CSceneDirector m_director;

    DECLARE_MESSAGE_MAP()
};
