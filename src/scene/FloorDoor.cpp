// CFloorDoor: the hatch in the floor (13 frames).
#include "scene/FloorDoor.h"

#include "scene/DoorLogic.h"

namespace {
// Last frame, x, y, hold length, open ticks before the open cue, open cue even/odd.
constexpr DoorConstants kConstants = {12, 240, 359, 96, 3, 768, 767};
}  // namespace

CFloorDoor::CFloorDoor() = default;
CFloorDoor::~CFloorDoor() = default;

void CFloorDoor::Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY) {
    DoorInit(*this, kConstants, pDirector, nBaseImage, nOriginX, nOriginY);
}

BOOL CFloorDoor::Update() { return DoorUpdate(*this, kConstants); }
