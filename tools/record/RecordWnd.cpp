// CRecordWnd: full-screen creation on the headless display and the drawing-order report.
#include "RecordWnd.h"

CRecordWnd::CRecordWnd() : CSceneWnd(TRUE) {}

BOOL CRecordWnd::CreateFullScreen(int width, int height) {
    return CreateSceneWindow(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, RECT{0, 0, width, height}, nullptr, 0, 0);
}

std::vector<CRecordWnd::Figure> CRecordWnd::DrawnFigures() {
    // The same pass RenderFrame makes; between ticks it reports what the frame drew.
    std::vector<Figure> out;
    Figure f;
    for (int pos = m_director.GetNextInDrawOrder(0, &f.x, &f.y, &f.image); pos != 0;
         pos = m_director.GetNextInDrawOrder(pos, &f.x, &f.y, &f.image)) {
        if (IsDrawableImage(f.image)) out.push_back(f);
    }
    return out;
}
