// CActor: the base figure's defaults and the two frame-stepping operations.
#include "scene/Actor.h"

IMPLEMENT_DYNAMIC(CActor, CObject)

CActor::CActor() = default;
CActor::~CActor() = default;

void CActor::SetDirector(CSceneDirector* pDirector, int nBaseImage) {
    m_pDirector = pDirector;
    m_nBaseImage = nBaseImage;
}

BOOL CActor::GetDrawInfo(int* pX, int* pY, int* pImage) {
    *pX = m_nX;
    *pY = m_nY;
    // Wraps instead of overflowing; the window skips indices outside its table anyway.
    *pImage = static_cast<int>(static_cast<unsigned>(m_nBaseImage) + static_cast<unsigned>(m_nFrame));
    return TRUE;
}

BOOL CActor::Update() { return TRUE; }

int CActor::GetDepth() { return m_nY; }

BOOL CActor::IsBusy() { return FALSE; }

int CActor::StepForward(int nFirst, int nLast) {
    if (m_nFrame < nFirst) m_nFrame = nFirst;
    // At INT_MAX the step wraps to the first frame, as it would from any frame past the last.
    if (m_nFrame >= nLast) {
        m_nFrame = nFirst;
    } else {
        ++m_nFrame;
    }
    return m_nFrame;
}

int CActor::StepBackward(int nFirst, int nLast) {
    if (m_nFrame > nLast) m_nFrame = nLast;
    if (m_nFrame <= nFirst) {
        m_nFrame = nLast;
    } else {
        --m_nFrame;
    }
    return m_nFrame;
}
