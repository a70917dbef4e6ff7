// CTopDoor: the trapdoor in the top wall (12 frames).
#include "scene/TopDoor.h"

#include "scene/DoorLogic.h"

namespace {
// Last frame, x, y, hold length, open ticks before the open cue, open cue even/odd.
constexpr DoorConstants kConstants = {11, 244, 0, 108, 6, 761, 762};
}  // namespace

CTopDoor::CTopDoor() = default;
CTopDoor::~CTopDoor() = default;

void CTopDoor::Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY) {
    DoorInit(*this, kConstants, pDirector, nBaseImage, nOriginX, nOriginY);
}

BOOL CTopDoor::Update() { return DoorUpdate(*this, kConstants); }
