// CLowerDoor: the cell door in the lower wall (13 frames).
#include "scene/LowerDoor.h"

#include "scene/DoorLogic.h"

namespace {
// Last frame, x, y, hold length, open ticks before the open cue, open cue even/odd.
constexpr DoorConstants kConstants = {12, 456, 239, 54, 4, 769, 766};
}  // namespace

CLowerDoor::CLowerDoor() = default;
CLowerDoor::~CLowerDoor() = default;

void CLowerDoor::Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY) {
    DoorInit(*this, kConstants, pDirector, nBaseImage, nOriginX, nOriginY);
}

BOOL CLowerDoor::Update() { return DoorUpdate(*this, kConstants); }
