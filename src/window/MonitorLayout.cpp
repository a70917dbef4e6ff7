// CMonitorLayout: composition surface size, per-monitor factor and origin, and the copy to the window.
#include "window/MonitorLayout.h"

#include <algorithm>

#include "scene/SceneDirector.h"

namespace {

constexpr int kSceneWidth = CSceneDirector::kSceneWidth;
constexpr int kSceneHeight = CSceneDirector::kSceneHeight;

// Whole scene pixels needed on each side of the scene to fill a monitor side of `nSize` pixels at
// `nScale`, with the scene's left edge at `nOffset` (truncated towards zero like the director's centring).
struct Extent {
    int nBefore;
    int nAfter;
};
Extent SideExtent(int nSize, int nOffset, int nScale, int nScene) {
    const int before = nOffset > 0 ? (nOffset + nScale - 1) / nScale : 0;
    const int rest = nSize - nOffset - nScene * nScale;
    const int after = rest > 0 ? (rest + nScale - 1) / nScale : 0;
    return Extent{before, after};
}

// The smallest surface side whose centred scene leaves nBefore and nAfter pixels beside it.
int CanvasSide(int nScene, int nBefore, int nAfter) { return nScene + std::max(2 * nBefore, 2 * nAfter - 1); }

}  // namespace

int CMonitorLayout::MonitorScale(int nSetting, int nWidth, int nHeight) {
    if (nSetting == 1) return 1;
    const int nFit = std::max(1, std::min(nWidth / kSceneWidth, nHeight / kSceneHeight));
    return nSetting <= 0 ? nFit : std::min(nSetting, nFit);
}

void CMonitorLayout::Init(const RECT* pMonitors, int nCount, int nScaleSetting) {
    m_nCount = std::clamp(nCount, 0, kMaxMonitors);
    int before[2] = {0, 0};
    int after[2] = {0, 0};
    for (int i = 0; i < m_nCount; ++i) {
        Monitor& m = m_monitors[i];
        m.rc = pMonitors[i];
        const int w = m.rc.right - m.rc.left;
        const int h = m.rc.bottom - m.rc.top;
        m.nScale = MonitorScale(nScaleSetting, w, h);
        // The scene's top-left on this monitor, as a one-monitor window of its size centres it.
        m.xOrigin = (w - kSceneWidth * m.nScale) / 2;
        m.yOrigin = (h - kSceneHeight * m.nScale) / 2;
        const Extent ex = SideExtent(w, m.xOrigin, m.nScale, kSceneWidth);
        const Extent ey = SideExtent(h, m.yOrigin, m.nScale, kSceneHeight);
        before[0] = std::max(before[0], ex.nBefore);
        after[0] = std::max(after[0], ex.nAfter);
        before[1] = std::max(before[1], ey.nBefore);
        after[1] = std::max(after[1], ey.nAfter);
    }
    if (m_nCount == 1 && m_monitors[0].nScale == 1) {
        m_nCanvasWidth = m_monitors[0].rc.right - m_monitors[0].rc.left;
        m_nCanvasHeight = m_monitors[0].rc.bottom - m_monitors[0].rc.top;
    } else {
        m_nCanvasWidth = CanvasSide(kSceneWidth, before[0], after[0]);
        m_nCanvasHeight = CanvasSide(kSceneHeight, before[1], after[1]);
    }
    // The director centres the scene in the surface the same way.
    const int cx = (m_nCanvasWidth - kSceneWidth) / 2;
    const int cy = (m_nCanvasHeight - kSceneHeight) / 2;
    for (int i = 0; i < m_nCount; ++i) {
        Monitor& m = m_monitors[i];
        m.xOrigin += m.rc.left - cx * m.nScale;
        m.yOrigin += m.rc.top - cy * m.nScale;
    }
}

BOOL CMonitorLayout::IsIdentity() const {
    if (m_nCount != 1) return FALSE;
    const Monitor& m = m_monitors[0];
    return m.nScale == 1 && m.xOrigin == 0 && m.yOrigin == 0 && m.rc.left == 0 && m.rc.top == 0 &&
           m.rc.right == m_nCanvasWidth && m.rc.bottom == m_nCanvasHeight;
}

void CMonitorLayout::CopyOut(CDC* pTarget, CDC* pSource, const RECT& rcCanvas) const {
    if (m_nCount == 0 || IsIdentity()) {
        pTarget->BitBlt(rcCanvas.left, rcCanvas.top, rcCanvas.right - rcCanvas.left, rcCanvas.bottom - rcCanvas.top,
                        pSource, rcCanvas.left, rcCanvas.top, SRCCOPY);
        return;
    }
    for (int i = 0; i < m_nCount; ++i) {
        const Monitor& m = m_monitors[i];
        const long long s = m.nScale;
        const RECT rc{static_cast<LONG>(std::max<long long>(m.rc.left, m.xOrigin + rcCanvas.left * s)),
                      static_cast<LONG>(std::max<long long>(m.rc.top, m.yOrigin + rcCanvas.top * s)),
                      static_cast<LONG>(std::min<long long>(m.rc.right, m.xOrigin + rcCanvas.right * s)),
                      static_cast<LONG>(std::min<long long>(m.rc.bottom, m.yOrigin + rcCanvas.bottom * s))};
        if (rc.left >= rc.right || rc.top >= rc.bottom) continue;
        if (m.nScale == 1) {
            pTarget->BitBlt(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, pSource, rc.left - m.xOrigin,
                            rc.top - m.yOrigin, SRCCOPY);
        } else {
            pTarget->ScaleBlt(rc, pSource, m.xOrigin, m.yOrigin, m.nScale);
        }
    }
}
