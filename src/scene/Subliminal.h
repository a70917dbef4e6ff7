// CSubliminal: the subliminal message that covers the whole scene for one tick.
#pragma once

#include "scene/Actor.h"

class CSubliminal : public CActor {
public:
    CSubliminal();
    ~CSubliminal() override;

    // Covers the scene from its origin; lives for one update.
    virtual void Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY);
    BOOL Update() override;
    // Drawn on top of every door.
    int GetDepth() override { return 10000; }

    int m_nTicksLeft = 0;
};
