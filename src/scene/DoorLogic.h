// The one opening/holding/closing algorithm of the five cell doors; each kind gives its constants.
#pragma once

#include "framework/WinDefs.h"
#include "scene/SceneDirector.h"
#include "scene/SceneRandom.h"

// A door kind's constants: last frame H, offset from the scene origin, hold length L, open ticks
// before the open cue K, and the open cue for an even and an odd draw (no draw when both match).
struct DoorConstants {
    int nLastFrame;
    int nX;
    int nY;
    int nHoldLength;
    int nCueDelay;
    UINT nEvenCue;
    UINT nOddCue;
};

// Door phases (m_nState).
constexpr int kDoorOpening = 0;
constexpr int kDoorClosing = 1;
constexpr int kDoorOpen = 2;

// Cues every door asks for.
constexpr UINT kCueSwing = 871;     // the opening step from frame 3 to 4
constexpr UINT kCueOpening = 774;   // an opening step reaches frame 9
constexpr UINT kCueClosing = 775;   // the first closing step
constexpr UINT kCueShutting = 869;  // a closing step reaches frame 6

template <class TDoor>
void DoorAskCue(TDoor& door, UINT nId) {
    if (door.m_pDirector != nullptr) door.m_pDirector->PlayCue(nId);
}

template <class TDoor>
void DoorInit(TDoor& door, const DoorConstants& k, CSceneDirector* pDirector, int nBaseImage, int nOriginX,
              int nOriginY) {
    door.CActor::SetDirector(pDirector, nBaseImage);
    door.m_nX = nOriginX + k.nX;
    door.m_nY = nOriginY + k.nY;
    door.m_nState = kDoorOpening;
    door.m_nHoldLeft = k.nHoldLength;
    door.m_nHoldLength = k.nHoldLength;
    // Matches none of the frames tested before the first step.
    door.m_nLastFrame = nBaseImage;
    door.m_nTicks = 0;
    door.m_bCuePlayed = FALSE;
}

// Frame steps fall on the updates whose count (before the update) is divisible by 4.
template <class TDoor>
BOOL DoorUpdate(TDoor& door, const DoorConstants& k) {
    switch (door.m_nState) {
    case kDoorOpening:
        if (door.m_nTicks % 4 == 0) {
            if (door.m_nLastFrame == 3) DoorAskCue(door, kCueSwing);
            door.m_nLastFrame = door.StepForward(0, k.nLastFrame);
            if (door.m_nLastFrame == 9) DoorAskCue(door, kCueOpening);
            if (door.m_nLastFrame > k.nLastFrame - 1) {
                ++door.m_nTicks;
                door.m_nState = kDoorOpen;
                return TRUE;
            }
        }
        break;
    case kDoorOpen:
        if (door.m_nHoldLength - door.m_nHoldLeft == k.nCueDelay) {
            if (k.nEvenCue == k.nOddCue) {
                DoorAskCue(door, k.nEvenCue);
            } else {
                DoorAskCue(door, CSceneRandom::Next() % 2 == 0 ? k.nEvenCue : k.nOddCue);
            }
        }
        if (--door.m_nHoldLeft == 0) {
            door.m_nState = kDoorClosing;
            door.m_bCuePlayed = FALSE;
        }
        break;
    case kDoorClosing:
        if (door.m_nTicks % 4 == 0) {
            if (!door.m_bCuePlayed) {
                door.m_bCuePlayed = TRUE;
                DoorAskCue(door, kCueClosing);
            }
            door.m_nLastFrame = door.StepBackward(0, k.nLastFrame);
            if (door.m_nLastFrame == 6) DoorAskCue(door, kCueShutting);
            // Shut again: finished before frame 0 is shown once more.
            if (door.m_nLastFrame < 1) return FALSE;
        }
        break;
    default:
        break;
    }
    ++door.m_nTicks;
    return TRUE;
}
