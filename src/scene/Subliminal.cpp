// CSubliminal: the one-tick subliminal flash.
#include "scene/Subliminal.h"

CSubliminal::CSubliminal() = default;
CSubliminal::~CSubliminal() = default;

void CSubliminal::Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY) {
    CActor::SetDirector(pDirector, nBaseImage);
    m_nX = nOriginX;
    m_nY = nOriginY;
    m_nTicksLeft = 1;
}

BOOL CSubliminal::Update() {
    // Never counts below zero, so a flash that was not armed finishes instead of living on.
    if (m_nTicksLeft <= 1) {
        m_nTicksLeft = 0;
        return FALSE;
    }
    --m_nTicksLeft;
    return TRUE;
}
