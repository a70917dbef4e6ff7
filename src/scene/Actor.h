// CActor: the base of every figure of the scene: position, current frame, depth, busy flag.
#pragma once

#include "framework/Object.h"
#include "framework/WinDefs.h"

class CSceneDirector;

class CActor : public CObject {
    DECLARE_DYNAMIC(CActor)

public:
    CActor();
    ~CActor() override;

    // Stores the owning director and the image-table index of frame 0.
    virtual void SetDirector(CSceneDirector* pDirector, int nBaseImage);
    // Position of the image's top-left corner and its image-table index; always TRUE.
    virtual BOOL GetDrawInfo(int* pX, int* pY, int* pImage);
    // One tick; FALSE when the figure has finished (the director deletes it).
    virtual BOOL Update();
    // Drawing order key: smaller is drawn first.
    virtual int GetDepth();
    // TRUE while no new door may start.
    virtual BOOL IsBusy();

    // Moves m_nFrame one step inside [nFirst, nLast], wrapping; returns the new frame.
    int StepForward(int nFirst, int nLast);
    int StepBackward(int nFirst, int nLast);

    int m_nX = 0;
    int m_nY = 0;
    CSceneDirector* m_pDirector = nullptr;  // not owned
    int m_nBaseImage = 0;
    int m_nFrame = 0;
};
