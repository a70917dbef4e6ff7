// CDoor: the one opening/holding/closing algorithm of the five cell doors, over its kind's row.
#include "scene/Door.h"

#include "scene/SceneDirector.h"
#include "scene/SceneRandom.h"

CDoor::CDoor(const DoorConstants& constants) : m_kind(constants) {}
CDoor::~CDoor() = default;

void CDoor::Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY) {
    CActor::SetDirector(pDirector, nBaseImage);
    m_nX = nOriginX + m_kind.nX;
    m_nY = nOriginY + m_kind.nY;
    m_nState = kOpening;
    m_nHoldLeft = m_kind.nHoldLength;
    m_nHoldLength = m_kind.nHoldLength;
    // Matches none of the frames tested before the first step.
    m_nLastFrame = nBaseImage;
    m_nTicks = 0;
    m_bCuePlayed = FALSE;
}

void CDoor::AskCue(UINT nId) {
    if (m_pDirector != nullptr) m_pDirector->PlayCue(nId);
}

BOOL CDoor::Update() {
    switch (m_nState) {
        case kOpening:
            if (m_nTicks % 4 == 0) {
                if (m_nLastFrame == 3) AskCue(IDW_DOOR_SWING);
                m_nLastFrame = StepForward(0, m_kind.nLastFrame);
                if (m_nLastFrame == 9) AskCue(IDW_DOOR_OPENING);
                if (m_nLastFrame > m_kind.nLastFrame - 1) {
                    ++m_nTicks;
                    m_nState = kOpen;
                    return TRUE;
                }
            }
            break;
        case kOpen:
            if (m_nHoldLength - m_nHoldLeft == m_kind.nCueDelay) {
                if (m_kind.nEvenCue == m_kind.nOddCue) {
                    AskCue(m_kind.nEvenCue);
                } else {
                    AskCue(CSceneRandom::Next() % 2 == 0 ? m_kind.nEvenCue : m_kind.nOddCue);
                }
            }
            if (--m_nHoldLeft == 0) {
                m_nState = kClosing;
                m_bCuePlayed = FALSE;
            }
            break;
        case kClosing:
            if (m_nTicks % 4 == 0) {
                if (!m_bCuePlayed) {
                    m_bCuePlayed = TRUE;
                    AskCue(IDW_DOOR_CLOSING);
                }
                m_nLastFrame = StepBackward(0, m_kind.nLastFrame);
                if (m_nLastFrame == 6) AskCue(IDW_DOOR_SHUTTING);
                // Shut again: finished before frame 0 is shown once more.
                if (m_nLastFrame < 1) return FALSE;
            }
            break;
        default: break;
    }
    ++m_nTicks;
    return TRUE;
}
