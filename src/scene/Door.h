// CDoor: a cell door or hatch of the scene; opens, holds while its cell's cue plays, and shuts.
#pragma once

#include "resource.h"
#include "scene/Actor.h"

// The five kinds, numbered as the director's kind history counts them (0 there: none yet).
enum DoorKind : int { kTopDoor = 1, kRightDoor, kMiddleDoor, kFloorDoor, kLowerDoor };

// A kind's constants: its first image-table index, last frame H, offset from the scene origin,
// hold length L, open ticks before the open cue K, and the open cue for an even and an odd draw
// (no draw when both are the same).
struct DoorConstants {
    int nFirstImage;
    int nLastFrame;
    int nX;
    int nY;
    int nHoldLength;
    int nCueDelay;
    UINT nEvenCue;
    UINT nOddCue;
};

// Kind k's row at index k - 1.
inline constexpr DoorConstants kDoorTable[] = {
    // kTopDoor: the trapdoor in the top wall, 12 frames.
    {1, 11, 244, 0, 108, 6, IDW_TOPDOOR_OPEN_EVEN, IDW_TOPDOOR_OPEN_ODD},
    // kRightDoor: the cell door in the right wall, 13 frames; its one cue needs no draw.
    {13, 12, 524, 46, 84, 2, IDW_RIGHTDOOR_OPEN, IDW_RIGHTDOOR_OPEN},
    // kMiddleDoor: the cell door in the middle of the chamber, 13 frames.
    {26, 12, 358, 156, 88, 4, IDW_MIDDLEDOOR_OPEN_EVEN, IDW_MIDDLEDOOR_OPEN_ODD},
    // kFloorDoor: the hatch in the floor, 13 frames.
    {39, 12, 240, 359, 96, 3, IDW_FLOORDOOR_OPEN_EVEN, IDW_FLOORDOOR_OPEN_ODD},
    // kLowerDoor: the cell door in the lower wall, 13 frames.
    {52, 12, 456, 239, 54, 4, IDW_LOWERDOOR_OPEN_EVEN, IDW_LOWERDOOR_OPEN_ODD},
};
inline constexpr int kDoorKindCount = static_cast<int>(sizeof(kDoorTable) / sizeof(kDoorTable[0]));
static_assert(kDoorKindCount == kLowerDoor);

class CDoor : public CActor {
public:
    // Phases (m_nState).
    static constexpr int kOpening = 0;
    static constexpr int kClosing = 1;
    static constexpr int kOpen = 2;

    explicit CDoor(const DoorConstants& constants);
    ~CDoor() override;

    // Places the door relative to the scene origin and arms it in the opening phase.
    virtual void Init(CSceneDirector* pDirector, int nBaseImage, int nOriginX, int nOriginY);
    // Frame steps fall on the updates whose count (before the update) is divisible by 4.
    BOOL Update() override;
    // A door holds the stage for its whole life.
    BOOL IsBusy() override { return TRUE; }

    int m_nState = kOpening;
    int m_nHoldLeft = 0;        // open ticks left
    int m_nHoldLength = 0;      // open ticks in all
    int m_nLastFrame = 0;       // frame returned by the last step
    int m_nTicks = 0;           // updates so far
    BOOL m_bCuePlayed = FALSE;  // the closing cue has been asked for
    const DoorConstants m_kind;

private:
    void AskCue(UINT nId);
};
