// CMiddleDoor: the cell door in the middle of the chamber; opens, holds while its cell's cue plays, and shuts.
#pragma once

#include "scene/Actor.h"

class CMiddleDoor : public CActor {
public:
    CMiddleDoor();
    ~CMiddleDoor() override;

    // Places the door relative to the scene origin and arms it in the opening phase.
    virtual void Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY);
    BOOL Update() override;
    // A door holds the stage for its whole life.
    BOOL IsBusy() override { return TRUE; }

    int m_nState = 0;       // 0 opening, 1 closing, 2 open
    int m_nHoldLeft = 0;    // open ticks left
    int m_nHoldLength = 0;  // open ticks in all
    int m_nLastFrame = 0;   // frame returned by the last step
    int m_nTicks = 0;       // updates so far
    BOOL m_bCuePlayed = FALSE;  // the closing cue has been asked for
};
