// The figures: CActor's defaults and frame steps, every door's life (cues, phases, draws), the flash.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "SceneTestSupport.h"
#include "app/SaverApp.h"
#include "platform/headless/HeadlessSystem.h"
#include "scene/SceneDirector.h"
#include "scene/SceneRandom.h"

namespace {

using scenetest::kLives;

struct Info {
    int x, y, image;
    bool operator==(const Info&) const = default;
};
Info DrawInfo(CActor& actor) {
    Info i{};
    EXPECT_TRUE(actor.GetDrawInfo(&i.x, &i.y, &i.image));
    return i;
}

TEST(FigureTest, BaseFigureDefaultsAndFrameSteps) {
    CActor actor;
    EXPECT_EQ((Info{0, 0, 0}), DrawInfo(actor));
    EXPECT_EQ(0, actor.GetDepth());
    EXPECT_FALSE(actor.IsBusy());
    EXPECT_TRUE(actor.Update());
    EXPECT_STREQ("CActor", actor.GetRuntimeClass()->m_lpszClassName);

    const struct {
        bool forward;
        int frame, first, last, expected;
    } steps[] = {{true, 12, 0, 12, 0},   {true, -5, 0, 12, 1},           {false, 0, 0, 12, 12},
                 {false, 20, 0, 12, 11}, {true, INT_MAX, 0, INT_MAX, 0}, {false, INT_MIN, INT_MIN, INT_MIN, INT_MIN}};
    for (const auto& s : steps) {
        actor.m_nFrame = s.frame;
        EXPECT_EQ(s.expected, s.forward ? actor.StepForward(s.first, s.last) : actor.StepBackward(s.first, s.last))
            << s.frame;
    }
    actor.m_nFrame = 0;
    std::vector<int> visited;
    for (int i = 0; i < 12; ++i) visited.push_back(actor.StepForward(0, 11));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}), visited);

    CSceneDirector director;
    actor.SetDirector(&director, 26);
    actor.m_nFrame = 4;
    EXPECT_EQ((Info{0, 0, 30}), DrawInfo(actor));
    EXPECT_EQ(&director, actor.m_pDirector);
}

TEST(FigureTest, EveryDoorLivesAsTheTableSays) {
    CSceneDirector director;
    for (int kind = 1; kind <= 5; ++kind) {
        const scenetest::DoorLife& life = kLives[kind];
        // The open cue's draw is even (seed 0) or odd (seed 1); with sound off the door lives the same.
        for (const auto& [seed, sound] : {std::pair{0u, 1}, {1u, 1}, {1u, 0}}) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " seed " << seed << " sound " << sound);
            theApp.m_nEnableSound = sound;
            headless::ClearSoundLog();
            CDoor door(kDoorTable[kind - 1]);
            door.Init(&director, life.firstImage, 192, 144);
            EXPECT_STREQ("CActor", door.GetRuntimeClass()->m_lpszClassName);
            EXPECT_TRUE(door.IsBusy());
            EXPECT_EQ((Info{192 + life.x, 144 + life.y, life.firstImage}), DrawInfo(door));
            EXPECT_EQ(144 + life.y, door.GetDepth());

            CSceneRandom::Seed(seed);
            std::vector<std::pair<int, std::uint16_t>> cues;
            int draws = 0, openAt = 0, closingAt = 0, finishedAt = 0, maxFrame = 0, state = CDoor::kOpening;
            for (int n = 1; n <= 400 && finishedAt == 0; ++n) {
                const std::uint32_t before = CSceneRandom::GetState();
                const std::size_t logged = headless::SoundLog().size();
                const BOOL alive = door.Update();
                draws += CSceneRandom::GetState() != before ? 1 : 0;
                for (std::size_t i = logged; i < headless::SoundLog().size(); ++i)
                    cues.push_back({n, headless::SoundLog()[i]});
                if (!alive) {
                    finishedAt = n;
                    break;
                }
                maxFrame = std::max(maxFrame, door.m_nFrame);
                if (door.m_nState == CDoor::kOpen && state == CDoor::kOpening) openAt = n;
                if (door.m_nState == CDoor::kClosing && state == CDoor::kOpen) closingAt = n;
                state = door.m_nState;
            }
            const std::vector<std::pair<int, std::uint16_t>> expected = {
                {life.swing, 871},
                {life.opening, 774},
                {life.openCue, seed == 0 ? life.evenCue : life.oddCue},
                {life.closing, 775},
                {life.shutting, 869}};
            EXPECT_EQ(sound != 0 ? expected : decltype(expected){}, cues);
            EXPECT_EQ(life.open, openAt);
            EXPECT_EQ(life.closingBegins, closingAt);
            EXPECT_EQ(life.finished, finishedAt);
            EXPECT_EQ(life.lastFrame, maxFrame);
            EXPECT_EQ(kind == kRightDoor ? 0 : 1, draws);  // the right door's one cue needs no draw
        }
    }
    theApp.m_nEnableSound = 1;
}

TEST(FigureTest, FlashCoversTheSceneForOneTick) {
    headless::ClearSoundLog();
    CSceneDirector director;
    CSubliminal flash;
    EXPECT_STREQ("CActor", flash.GetRuntimeClass()->m_lpszClassName);
    flash.Init(&director, 65, -20, 144);
    EXPECT_EQ((Info{-20, 144, 65}), DrawInfo(flash));
    EXPECT_EQ(10000, flash.GetDepth());
    EXPECT_FALSE(flash.IsBusy());
    const std::uint32_t state = CSceneRandom::GetState();
    EXPECT_FALSE(flash.Update());
    EXPECT_EQ(state, CSceneRandom::GetState());
    EXPECT_TRUE(headless::SoundLog().empty());
    CSubliminal unarmed;  // a flash that was never armed finishes too, rather than living on
    EXPECT_FALSE(unarmed.Update());
}

}  // namespace
