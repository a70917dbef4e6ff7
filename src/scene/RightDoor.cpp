// CRightDoor: the cell door in the right wall (13 frames).
#include "scene/RightDoor.h"

#include "scene/DoorLogic.h"

namespace {
// Last frame, x, y, hold length, open ticks before the open cue, open cue even/odd.
constexpr DoorConstants kConstants = {12, 524, 46, 84, 2, 763, 763};
}  // namespace

CRightDoor::CRightDoor() = default;
CRightDoor::~CRightDoor() = default;

void CRightDoor::Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY) {
    DoorInit(*this, kConstants, pDirector, nBaseImage, nOriginX, nOriginY);
}

BOOL CRightDoor::Update() { return DoorUpdate(*this, kConstants); }
