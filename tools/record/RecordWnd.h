// CRecordWnd: the real scene window, full screen on the headless display, reporting what it drew.
#pragma once

#include <vector>

#include "window/SceneWnd.h"

class CRecordWnd : public CSceneWnd {
public:
    struct Figure {
        int x = 0;
        int y = 0;
        int image = 0;
    };

    CRecordWnd();

    // Covers the whole display (x, y 0), as the saver's own full-screen window does.
    BOOL CreateFullScreen(int width, int height);
    // The figures in the order the last composed frame drew them (index filter included).
    std::vector<Figure> DrawnFigures();
};
