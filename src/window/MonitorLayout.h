// CMonitorLayout: where the one composed scene shows on each monitor of the full-screen window, and how large.
#pragma once

#include "framework/DC.h"
#include "framework/WinDefs.h"

class CMonitorLayout {
public:
    static constexpr int kMaxMonitors = 16;

    // The factor one monitor uses for a `Scale` setting (0 automatic, 1..8): the largest whole
    // factor at which the 640 x 480 scene fits the monitor (at least 1), or the setting when lower.
    static int MonitorScale(int nSetting, int nWidth, int nHeight);

    // Lays the scene out on the monitors (window client coordinates) for a `Scale` setting. The
    // composition surface is the monitor itself for one monitor at factor 1; otherwise it is the
    // smallest surface, with the scene centred, from which every monitor's picture can be cut.
    void Init(const RECT* pMonitors, int nCount, int nScaleSetting);

    int GetCanvasWidth() const { return m_nCanvasWidth; }
    int GetCanvasHeight() const { return m_nCanvasHeight; }
    int GetCount() const { return m_nCount; }
    int GetScale(int i) const { return m_monitors[i].nScale; }
    // One monitor at factor 1 whose picture is the composition surface itself, at the same place.
    BOOL IsIdentity() const;

    // Copies a rectangle of the composition surface (pSource) to every monitor it shows on,
    // enlarged by that monitor's factor and cut at the monitor's edges.
    void CopyOut(CDC* pTarget, CDC* pSource, const RECT& rcCanvas) const;

private:
    struct Monitor {
        RECT rc;
        int nScale;
        int xOrigin;  // where the surface's (0, 0) lands on the window, enlarged
        int yOrigin;
    };
    Monitor m_monitors[kMaxMonitors] = {};
    int m_nCount = 0;
    int m_nCanvasWidth = 0;
    int m_nCanvasHeight = 0;
};
