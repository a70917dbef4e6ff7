// The figures: CActor's defaults and frame steps, every door's life (cues, phases, draws), the flash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/SaverApp.h"
#include "platform/headless/HeadlessSystem.h"
#include "scene/Actor.h"
#include "scene/Door.h"
#include "scene/SceneDirector.h"
#include "scene/SceneRandom.h"
#include "scene/Subliminal.h"

namespace {

// One door kind's expected life, update numbers counted from 1.
struct DoorLife {
    const char* name;
    int firstImage;
    int lastFrame;
    int x, y;
    int swing, opening, open, openCue, closingBegins, closing, shutting, finished;
    std::uint16_t evenCue, oddCue;
};

const DoorLife kLives[] = {
    {"CTopDoor", 1, 11, 244, 0, 13, 33, 41, 48, 149, 153, 169, 193, 761, 762},
    {"CRightDoor", 13, 12, 524, 46, 13, 33, 45, 48, 129, 133, 153, 177, 763, 763},
    {"CMiddleDoor", 26, 12, 358, 156, 13, 33, 45, 50, 133, 137, 157, 181, 764, 765},
    {"CFloorDoor", 39, 12, 240, 359, 13, 33, 45, 49, 141, 145, 165, 189, 768, 767},
    {"CLowerDoor", 52, 12, 456, 239, 13, 33, 45, 50, 99, 101, 121, 145, 769, 766},
};

// The kinds share no base beyond CActor; Init is each kind's own, so it is reached by type.
std::unique_ptr<CActor> MakeDoor(int index, CSceneDirector* director, int originX, int originY) {
    auto d = std::make_unique<CDoor>(kDoorTable[index]);
    d->Init(director, kLives[index].firstImage, originX, originY);
    return d;
}

class FigureTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ClearSoundLog();
        theApp.m_nEnableSound = 1;
    }
    CSceneDirector m_director;
};

TEST_F(FigureTest, BaseFigureDefaultsAndFrameSteps) {
    CActor actor;
    int x = -1, y = -1, image = -1;
    EXPECT_TRUE(actor.GetDrawInfo(&x, &y, &image));
    EXPECT_EQ(0, x);
    EXPECT_EQ(0, y);
    EXPECT_EQ(0, image);
    EXPECT_EQ(0, actor.GetDepth());
    EXPECT_FALSE(actor.IsBusy());
    EXPECT_TRUE(actor.Update());
    EXPECT_STREQ("CActor", actor.GetRuntimeClass()->m_lpszClassName);

    actor.m_nFrame = 12;
    EXPECT_EQ(0, actor.StepForward(0, 12));
    actor.m_nFrame = -5;
    EXPECT_EQ(1, actor.StepForward(0, 12));
    actor.m_nFrame = 0;
    EXPECT_EQ(12, actor.StepBackward(0, 12));
    actor.m_nFrame = 20;
    EXPECT_EQ(11, actor.StepBackward(0, 12));

    actor.m_nFrame = 0;
    std::vector<int> visited;
    for (int i = 0; i < 12; ++i) visited.push_back(actor.StepForward(0, 11));
    const std::vector<int> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0};
    EXPECT_EQ(expected, visited);

    // The extremes of the range do not overflow.
    actor.m_nFrame = INT32_MAX;
    EXPECT_EQ(0, actor.StepForward(0, INT32_MAX));
    actor.m_nFrame = INT32_MIN;
    EXPECT_EQ(INT32_MIN + 0, actor.StepBackward(INT32_MIN, INT32_MIN));

    actor.SetDirector(&m_director, 26);
    actor.m_nFrame = 4;
    EXPECT_TRUE(actor.GetDrawInfo(&x, &y, &image));
    EXPECT_EQ(30, image);
    EXPECT_EQ(&m_director, actor.m_pDirector);
}

TEST_F(FigureTest, EveryDoorLivesAsTheTableSays) {
    for (int kind = 0; kind < 5; ++kind) {
        const DoorLife& life = kLives[kind];
        for (std::uint32_t seed : {0u, 1u}) {  // the open cue's draw is even (seed 0), odd (seed 1)
            SCOPED_TRACE(std::string(life.name) + " seed " + std::to_string(seed));
            headless::ClearSoundLog();
            auto door = MakeDoor(kind, &m_director, 192, 144);
            EXPECT_STREQ("CActor", door->GetRuntimeClass()->m_lpszClassName);
            EXPECT_TRUE(door->IsBusy());
            EXPECT_EQ(192 + life.x, door->m_nX);
            EXPECT_EQ(144 + life.y, door->GetDepth());
            int x = 0, y = 0, image = 0;
            door->GetDrawInfo(&x, &y, &image);
            EXPECT_EQ(life.firstImage, image);

            CSceneRandom::Seed(seed);
            struct Event {
                int update;
                std::uint16_t cue;
            };
            std::vector<Event> cues;
            int draws = 0, openAt = 0, closingAt = 0, finishedAt = 0, maxFrame = 0;
            int prevState = 0;
            for (int n = 1; n <= 400 && finishedAt == 0; ++n) {
                const std::uint32_t before = CSceneRandom::GetState();
                const std::size_t logged = headless::SoundLog().size();
                const BOOL alive = door->Update();
                if (CSceneRandom::GetState() != before) ++draws;
                for (std::size_t i = logged; i < headless::SoundLog().size(); ++i) {
                    cues.push_back({n, headless::SoundLog()[i]});
                }
                if (!alive) {
                    finishedAt = n;
                    break;
                }
                maxFrame = std::max(maxFrame, door->m_nFrame);
                // Phase changes are read through the door's state (0 opening, 2 open, 1 closing).
                const int state = static_cast<CDoor*>(door.get())->m_nState;
                if (state == 2 && prevState == 0) {
                    openAt = n;
                    EXPECT_EQ(life.lastFrame, door->m_nFrame);
                }
                if (state == 1 && prevState == 2) closingAt = n;
                prevState = state;
            }
            const std::uint16_t openCue = seed == 0 ? life.evenCue : life.oddCue;
            ASSERT_EQ(5u, cues.size());
            EXPECT_EQ(life.swing, cues[0].update);
            EXPECT_EQ(871, cues[0].cue);
            EXPECT_EQ(life.opening, cues[1].update);
            EXPECT_EQ(774, cues[1].cue);
            EXPECT_EQ(life.openCue, cues[2].update);
            EXPECT_EQ(openCue, cues[2].cue);
            EXPECT_EQ(life.closing, cues[3].update);
            EXPECT_EQ(775, cues[3].cue);
            EXPECT_EQ(life.shutting, cues[4].update);
            EXPECT_EQ(869, cues[4].cue);
            EXPECT_EQ(life.open, openAt);
            EXPECT_EQ(life.closingBegins, closingAt);
            EXPECT_EQ(life.finished, finishedAt);
            EXPECT_EQ(life.lastFrame, maxFrame);
            // Only the right door plays its open cue without drawing a number.
            EXPECT_EQ(kind == 1 ? 0 : 1, draws);
        }
    }
}

TEST_F(FigureTest, FlashCoversTheSceneForOneTick) {
    CSubliminal flash;
    EXPECT_STREQ("CActor", flash.GetRuntimeClass()->m_lpszClassName);
    flash.Init(&m_director, 65, -20, 144);
    int x = 0, y = 0, image = 0;
    flash.GetDrawInfo(&x, &y, &image);
    EXPECT_EQ(-20, x);
    EXPECT_EQ(144, y);
    EXPECT_EQ(65, image);
    EXPECT_EQ(10000, flash.GetDepth());
    EXPECT_FALSE(flash.IsBusy());
    const std::uint32_t state = CSceneRandom::GetState();
    EXPECT_FALSE(flash.Update());
    EXPECT_EQ(state, CSceneRandom::GetState());
    EXPECT_TRUE(headless::SoundLog().empty());

    // A flash that was never armed finishes too, rather than living on.
    CSubliminal unarmed;
    EXPECT_FALSE(unarmed.Update());
}

}  // namespace
