// CSceneDirector: owns the figures, advances them every tick, starts doors, flash and ambient cues.
#pragma once

#include "framework/WinDefs.h"

class CActor;
class CSceneHost;

class CSceneDirector {
public:
    static constexpr int kSlotCount = 300;
    // The scene's size in pixels, centred in the host's screen.
    static constexpr int kSceneWidth = 640;
    static constexpr int kSceneHeight = 480;
    static constexpr int kFlashPeriod = 1800;   // ticks between flash chances (90 s)
    static constexpr int kAmbientPeriod = 300;  // ticks between ambient-cue chances (15 s)
    // The tick counter restarts after this many ticks (a multiple of both periods, so their
    // rhythms run on unchanged) instead of overflowing after 2^31 ticks.
    static constexpr int kTickWrap = kFlashPeriod * 1193046;

    CSceneDirector();
    ~CSceneDirector();
    CSceneDirector(const CSceneDirector&) = delete;
    CSceneDirector& operator=(const CSceneDirector&) = delete;

    // Centres the 640x480 scene in the host's screen and clears the kind history. Keeps nothing.
    void Attach(CSceneHost* pHost);
    // One timer tick: reseed, update every figure, then maybe a door, the flash, an ambient cue.
    void Tick();
    // Iterations: start with 0, continue with the returned index until it is 0. The draw-order
    // pass sorts by depth when called with 0.
    int GetNextInSlotOrder(int nIndex, int* pX, int* pY, int* pImage);
    int GetNextInDrawOrder(int nIndex, int* pX, int* pY, int* pImage);
    // Stores the figure in the first free slot (the director then owns it); FALSE when full.
    BOOL AddActor(CActor* pActor);
    // Deletes every figure.
    void DeleteAll();
    // Plays WAVE resource nId when the "Enable sound" setting is on at the time of the call.
    void PlayCue(UINT nId);
    // Depth order of two slot entries (CActor* const*): empty entries last.
    static int CompareDepth(const void* pA, const void* pB);

    CActor* m_apActors[kSlotCount];
    CActor* m_apDrawOrder[kSlotCount];
    int m_nTick = 0;
    BOOL m_bBusy = FALSE;
    int m_anKinds[4] = {0, 0, 0, 0};  // kinds of the last four doors, most recent first
    int m_nOriginX = 0;
    int m_nOriginY = 0;

private:
    // Creates the door of kind 1..5 from its row of the door table and starts it; FALSE when no
    // slot was free.
    BOOL StartDoor(int nKind);
    // Creates the subliminal flash and starts it.
    void StartFlash();
};
