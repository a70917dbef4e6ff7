// CMiddleDoor: the cell door in the middle of the chamber (13 frames).
#include "scene/MiddleDoor.h"

#include "scene/DoorLogic.h"

namespace {
// Last frame, x, y, hold length, open ticks before the open cue, open cue even/odd.
constexpr DoorConstants kConstants = {12, 358, 156, 88, 4, 764, 765};
}  // namespace

CMiddleDoor::CMiddleDoor() = default;
CMiddleDoor::~CMiddleDoor() = default;

void CMiddleDoor::Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY) {
    DoorInit(*this, kConstants, pDirector, nBaseImage, nOriginX, nOriginY);
}

BOOL CMiddleDoor::Update() { return DoorUpdate(*this, kConstants); }
