// CSceneDirector: figure slots, the tick's chances (doors, flash, ambient cue), iterations, cues.
#include "scene/SceneDirector.h"

#include <cstdlib>

#include "app/SaverApp.h"
#include "framework/WinApi.h"
#include "resource.h"
#include "scene/Actor.h"
#include "scene/Door.h"
#include "scene/SceneHost.h"
#include "scene/SceneRandom.h"
#include "scene/Subliminal.h"

namespace {
constexpr int kFlashImage = 65;

// A door starts when the draw is divisible by this; Pain outside 1..4 ("Weird") gives 50.
int SpawnDivisor(int nPain) {
    switch (nPain) {
        case 1: return 150;
        case 2: return 100;
        case 3: return 25;
        case 4: return 3;
        default: return 50;
    }
}

// Stores the new figure and arms it; FALSE (and the figure deleted) when every slot is taken.
template <class T>
BOOL StartFigure(CSceneDirector* pDirector, T* pFigure, int nBaseImage) {
    if (!pDirector->AddActor(pFigure)) {
        delete pFigure;
        return FALSE;
    }
    pFigure->Init(pDirector, nBaseImage, pDirector->m_nOriginX, pDirector->m_nOriginY);
    return TRUE;
}
}  // namespace

static_assert(CSceneDirector::kTickWrap % CSceneDirector::kAmbientPeriod == 0);

CSceneDirector::CSceneDirector() {
    for (int i = 0; i < kSlotCount; ++i) {
        m_apActors[i] = nullptr;
        m_apDrawOrder[i] = nullptr;
    }
}

CSceneDirector::~CSceneDirector() { DeleteAll(); }

void CSceneDirector::Attach(CSceneHost* pHost) {
    const int nWidth = pHost->GetScreenWidth();
    const int nHeight = pHost->GetScreenHeight();
    // 64-bit so that absurd sizes cannot overflow; truncates toward zero like the 32-bit form.
    m_nOriginX = static_cast<int>((static_cast<long long>(nWidth) - kSceneWidth) / 2);
    m_nOriginY = static_cast<int>((static_cast<long long>(nHeight) - kSceneHeight) / 2);
    for (int& nKind : m_anKinds) nKind = 0;
}

void CSceneDirector::Tick() {
    if (m_nTick >= kTickWrap) m_nTick = 0;
    ++m_nTick;
    m_bBusy = FALSE;
    CSceneRandom::Seed(static_cast<std::uint32_t>(AfxGetTime()));

    for (CActor*& pActor : m_apActors) {
        if (pActor == nullptr) continue;
        if (!pActor->Update()) {
            delete pActor;
            pActor = nullptr;
        } else if (pActor->IsBusy()) {
            m_bBusy = TRUE;
        }
    }

    if (!m_bBusy && CSceneRandom::Next() % SpawnDivisor(theApp.m_nPain) == 0) {
        m_anKinds[3] = m_anKinds[2];
        m_anKinds[2] = m_anKinds[1];
        m_anKinds[1] = m_anKinds[0];
        while (m_anKinds[0] == m_anKinds[1] || m_anKinds[0] == m_anKinds[2] || m_anKinds[0] == m_anKinds[3]) {
            m_anKinds[0] = CSceneRandom::Next() % kDoorKindCount + 1;
        }
        StartDoor(m_anKinds[0]);
    }

    if (m_nTick % kFlashPeriod == 0) {
        const int nDraw = CSceneRandom::Next();
        if (nDraw % 2 == 0 && theApp.m_nSubliminals != 0) StartFlash();
    }

    if (m_nTick % kAmbientPeriod == 0) {
        if (CSceneRandom::Next() % 10 == 0 && theApp.m_nSubliminals != 0 && !m_bBusy) {
            PlayCue(CSceneRandom::Next() % 2 != 0 ? IDW_AMBIENT_ODD : IDW_AMBIENT_EVEN);
        }
    }
}

BOOL CSceneDirector::StartDoor(int nKind) {
    if (nKind < 1 || nKind > kDoorKindCount) return FALSE;
    const DoorConstants& kind = kDoorTable[nKind - 1];
    return StartFigure(this, new CDoor(kind), kind.nFirstImage);
}

void CSceneDirector::StartFlash() { StartFigure(this, new CSubliminal, kFlashImage); }

int CSceneDirector::GetNextInSlotOrder(int nIndex, int* pX, int* pY, int* pImage) {
    for (int i = nIndex < 0 ? 0 : nIndex; i < kSlotCount; ++i) {
        if (m_apActors[i] != nullptr) {
            m_apActors[i]->GetDrawInfo(pX, pY, pImage);
            return i + 1;
        }
    }
    return 0;
}

int CSceneDirector::GetNextInDrawOrder(int nIndex, int* pX, int* pY, int* pImage) {
    if (nIndex == 0) {
        for (int i = 0; i < kSlotCount; ++i) m_apDrawOrder[i] = m_apActors[i];
        std::qsort(m_apDrawOrder, kSlotCount, sizeof(m_apDrawOrder[0]), &CSceneDirector::CompareDepth);
    }
    if (nIndex < 0 || nIndex >= kSlotCount) return 0;
    CActor* pActor = m_apDrawOrder[nIndex];
    if (pActor == nullptr) return 0;
    pActor->GetDrawInfo(pX, pY, pImage);
    return nIndex + 1;
}

BOOL CSceneDirector::AddActor(CActor* pActor) {
    for (CActor*& pSlot : m_apActors) {
        if (pSlot == nullptr) {
            pSlot = pActor;
            return TRUE;
        }
    }
    return FALSE;
}

void CSceneDirector::DeleteAll() {
    for (int i = 0; i < kSlotCount; ++i) {
        delete m_apActors[i];
        m_apActors[i] = nullptr;
        // The draw-order copy would point at deleted figures.
        m_apDrawOrder[i] = nullptr;
    }
}

void CSceneDirector::PlayCue(UINT nId) {
    if (theApp.m_nEnableSound == 0) return;
    AfxPlaySoundResource(nId);
}

int CSceneDirector::CompareDepth(const void* pA, const void* pB) {
    CActor* pActorA = *static_cast<CActor* const*>(pA);
    CActor* pActorB = *static_cast<CActor* const*>(pB);
    if (pActorA == nullptr && pActorB == nullptr) return 0;
    if (pActorA == nullptr) return 1;
    if (pActorB == nullptr) return -1;
    // Compared rather than subtracted, so extreme depths cannot overflow.
    const int nDepthA = pActorA->GetDepth();
    const int nDepthB = pActorB->GetDepth();
    return nDepthA < nDepthB ? -1 : (nDepthA > nDepthB ? 1 : 0);
}
