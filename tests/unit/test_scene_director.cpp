// The scene director: generator, spawn odds, kind history, flash/ambient timing, order, ownership.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <vector>

#include "SceneTestSupport.h"
#include "app/SaverApp.h"
#include "platform/headless/HeadlessSystem.h"
#include "scene/SceneDirector.h"
#include "scene/SceneRandom.h"

namespace {

using scenetest::FindSecond;
using scenetest::KindOf;
using scenetest::Lcg;

// The images of one pass, in slot or in drawing order.
std::vector<int> Pass(CSceneDirector& d, bool drawOrder) {
    const auto next = drawOrder ? &CSceneDirector::GetNextInDrawOrder : &CSceneDirector::GetNextInSlotOrder;
    std::vector<int> images;
    int x = 0, y = 0, image = 0;
    for (int i = (d.*next)(0, &x, &y, &image); i != 0; i = (d.*next)(i, &x, &y, &image)) images.push_back(image);
    return images;
}

// A figure that counts the live instances and finishes after a given number of updates.
class CountedActor : public CActor {
public:
    CountedActor(int* live, int updates, int depth, BOOL busy = FALSE)
        : m_pLive(live), m_nUpdatesLeft(updates), m_nDepth(depth), m_bBusyFigure(busy) {
        ++*m_pLive;
    }
    ~CountedActor() override { --*m_pLive; }
    BOOL Update() override { return --m_nUpdatesLeft > 0 ? TRUE : FALSE; }
    int GetDepth() override { return m_nDepth; }
    BOOL IsBusy() override { return m_bBusyFigure; }

private:
    int* m_pLive;
    int m_nUpdatesLeft;
    int m_nDepth;
    BOOL m_bBusyFigure;
};

class DirectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        theApp.m_nEnableSound = 1;
        theApp.m_nPain = 3;
        theApp.m_nSubliminals = 1;
        headless::ClearSoundLog();
        m_director.Attach(&m_host);
    }
    // Runs tick number `tick` at clock second t and returns the cues it played.
    std::vector<std::uint16_t> TickAt(std::int64_t t, int tick, CSceneDirector* director = nullptr) {
        CSceneDirector& d = director != nullptr ? *director : m_director;
        headless::ClearSoundLog();
        headless::SetClockMs(t * 1000);
        d.m_nTick = tick - 1;
        d.Tick();
        return headless::SoundLog();
    }

    scenetest::FakeHost m_host{640, 480};
    CSceneDirector m_director;
};

TEST_F(DirectorTest, GeneratorAndTheFirstDoorOfSecondTwo) {
    CSceneRandom::Seed(1);
    std::vector<int> draws;
    for (int i = 0; i < 4; ++i) draws.push_back(CSceneRandom::Next());
    EXPECT_EQ((std::vector<int>{41, 18467, 6334, 26500}), draws);

    // Second 2, Pain 4: 45 is divisible by 3, and 29216 % 5 + 1 = 2. A door that finishes in
    // this tick's update pass frees the stage and its slot for it.
    theApp.m_nPain = 4;
    CSceneRandom::Seed(12345);  // start-up's seed is replaced at the tick
    int live = 0;
    ASSERT_TRUE(m_director.AddActor(new CountedActor(&live, 1, 0, TRUE)));
    TickAt(2, 1);
    EXPECT_EQ(0, live);
    ASSERT_EQ(1u, Pass(m_director, false).size());
    EXPECT_EQ(kRightDoor, KindOf(m_director.m_apActors[0]));
    EXPECT_EQ(524, m_director.m_apActors[0]->m_nX);
    EXPECT_EQ(46, m_director.m_apActors[0]->m_nY);
    EXPECT_EQ((std::vector<int>{2, 0, 0, 0}), std::vector<int>(m_director.m_anKinds, m_director.m_anKinds + 4));
}

TEST_F(DirectorTest, SpawnOddsFollowPainIncludingValuesOutsideTheDialogRange) {
    const struct { int pain, divisor; } levels[] = {{1, 150}, {2, 100}, {3, 25}, {4, 3}, {0, 50}, {5, 50}, {-1, 50}};
    for (const auto& level : levels) {
        SCOPED_TRACE(level.pain);
        theApp.m_nPain = level.pain;
        int started = 0;
        for (std::int64_t t = 5000; t < 11000; ++t) {
            CSceneDirector director;
            director.Attach(&m_host);
            headless::SetClockMs(t * 1000 + (t % 20) * 50);  // any moment within the second
            director.Tick();
            Lcg lcg{static_cast<std::uint32_t>(t)};
            const bool expected = lcg.Next() % level.divisor == 0;
            ASSERT_EQ(expected, director.m_apActors[0] != nullptr) << "second " << t;
            started += expected ? 1 : 0;
        }
        EXPECT_NEAR(6000.0 / level.divisor, started, 6000.0 / level.divisor * 0.35 + 3);
    }
}

TEST_F(DirectorTest, KindHistoryRule) {
    theApp.m_nPain = 4;
    const std::int64_t spawn = FindSecond([](Lcg& g) { return g.Next() % 3 == 0; });
    // After doors of kinds 2, 5 and 1 the next is 3 or 4, and the history shifts.
    std::set<int> seen;
    for (std::int64_t t = spawn; t < spawn + 300; ++t) {  // about a hundred doors
        CSceneDirector director;
        director.Attach(&m_host);
        const int history[4] = {1, 5, 2, 0};
        std::copy(history, history + 4, director.m_anKinds);
        TickAt(t, 1, &director);
        if (director.m_apActors[0] == nullptr) continue;
        const int kind = director.m_anKinds[0];
        ASSERT_TRUE(kind == 3 || kind == 4) << kind;
        EXPECT_EQ((std::vector<int>{kind, 1, 5, 2}), std::vector<int>(director.m_anKinds, director.m_anKinds + 4));
        EXPECT_EQ(kind, KindOf(director.m_apActors[0]));
        seen.insert(kind);
    }
    EXPECT_EQ((std::set<int>{3, 4}), seen);

    // With an empty history the first door may be any kind.
    seen.clear();
    for (std::int64_t t = spawn; seen.size() < 5 && t < spawn + 2000; ++t) {
        CSceneDirector director;
        director.Attach(&m_host);
        TickAt(t, 1, &director);
        if (director.m_apActors[0] != nullptr) seen.insert(KindOf(director.m_apActors[0]));
    }
    EXPECT_EQ(5u, seen.size());

    // A full table: nothing starts, the new kind stays in the history, Attach clears it.
    for (CActor*& slot : m_director.m_apActors) slot = new CActor;
    CActor extra;
    EXPECT_FALSE(m_director.AddActor(&extra));
    TickAt(spawn, 1);
    EXPECT_NE(0, m_director.m_anKinds[0]);
    for (CActor* actor : m_director.m_apActors) EXPECT_EQ(0, KindOf(actor));
    m_director.Attach(&m_host);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), std::vector<int>(m_director.m_anKinds, m_director.m_anKinds + 4));
}

TEST_F(DirectorTest, FlashEvery1800TicksOnEvenDrawsOnlyWithSubliminals) {
    theApp.m_nPain = 1;
    // No door (first draw), flash (second draw even or odd), no ambient cue (third draw).
    const std::int64_t tEven =
        FindSecond([](Lcg& g) { return g.Next() % 150 != 0 && g.Next() % 2 == 0 && g.Next() % 10 != 0; });
    const std::int64_t tOdd =
        FindSecond([](Lcg& g) { return g.Next() % 150 != 0 && g.Next() % 2 != 0 && g.Next() % 10 != 0; });
    TickAt(tEven, 1799);  // only the spawn draw
    Lcg one{static_cast<std::uint32_t>(tEven)};
    one.Next();
    EXPECT_EQ(one.state, CSceneRandom::GetState());
    EXPECT_TRUE(Pass(m_director, false).empty());

    TickAt(tEven, 1800);
    EXPECT_EQ(6, KindOf(m_director.m_apActors[0]));
    const std::uint32_t withFlash = CSceneRandom::GetState();
    EXPECT_EQ(std::vector<int>{65}, Pass(m_director, false));
    EXPECT_FALSE(m_director.m_bBusy);
    m_director.Tick();  // tick 1801: the flash is gone
    EXPECT_TRUE(Pass(m_director, false).empty());

    theApp.m_nSubliminals = 0;  // no flash, but the same draws
    TickAt(tEven, 1800);
    EXPECT_TRUE(Pass(m_director, false).empty());
    EXPECT_EQ(withFlash, CSceneRandom::GetState());
    theApp.m_nSubliminals = 1;  // an odd draw: no flash
    EXPECT_TRUE(TickAt(tOdd, 1800).empty());
    EXPECT_TRUE(Pass(m_director, false).empty());
}

TEST_F(DirectorTest, AmbientCueEvery300TicksWhenNoDoorIsAlive) {
    theApp.m_nPain = 1;
    const std::int64_t tOdd =
        FindSecond([](Lcg& g) { return g.Next() % 150 != 0 && g.Next() % 10 == 0 && g.Next() % 2 != 0; });
    const std::int64_t tEven =
        FindSecond([](Lcg& g) { return g.Next() % 150 != 0 && g.Next() % 10 == 0 && g.Next() % 2 == 0; });
    EXPECT_EQ(std::vector<std::uint16_t>{864}, TickAt(tOdd, 300));
    EXPECT_EQ(std::vector<std::uint16_t>{860}, TickAt(tEven, 600));
    EXPECT_TRUE(TickAt(tOdd, 301).empty());

    // Subliminals off: no cue and no second draw; sound off: no cue, the same draws as with sound.
    const auto drawsAfter = [](std::int64_t t, int n) {
        Lcg g{static_cast<std::uint32_t>(t)};
        for (int i = 0; i < n; ++i) g.Next();
        return g.state;
    };
    theApp.m_nSubliminals = 0;
    EXPECT_TRUE(TickAt(tOdd, 300).empty());
    EXPECT_EQ(drawsAfter(tOdd, 2), CSceneRandom::GetState());
    theApp.m_nSubliminals = 1;
    theApp.m_nEnableSound = 0;
    EXPECT_TRUE(TickAt(tOdd, 300).empty());
    EXPECT_EQ(drawsAfter(tOdd, 3), CSceneRandom::GetState());
    theApp.m_nEnableSound = 1;

    // A door alive after the update pass silences it (the ambient draw is then the tick's first).
    auto* door = new CDoor(kDoorTable[kTopDoor - 1]);
    ASSERT_TRUE(m_director.AddActor(door));
    door->Init(&m_director, 1, 0, 0);
    EXPECT_TRUE(TickAt(FindSecond([](Lcg& g) { return g.Next() % 10 == 0; }), 300).empty());
    m_director.DeleteAll();

    // A door started in the same tick does not: Pain 4, door, kind, ambient, parity.
    theApp.m_nPain = 4;
    const std::int64_t tBoth = FindSecond(
        [](Lcg& g) { return g.Next() % 3 == 0 && (g.Next(), true) && g.Next() % 10 == 0 && g.Next() % 2 != 0; });
    EXPECT_EQ(std::vector<std::uint16_t>{864}, TickAt(tBoth, 900));
    EXPECT_NE(0, KindOf(m_director.m_apActors[0]));
}

TEST_F(DirectorTest, IterationsInSlotAndDepthOrder) {
    EXPECT_TRUE(Pass(m_director, false).empty() && Pass(m_director, true).empty());
    auto* last = new CActor;
    last->m_nX = 7;
    last->m_nY = 8;
    last->SetDirector(&m_director, 42);
    m_director.m_apActors[299] = last;
    int x = 0, y = 0, image = 0;
    EXPECT_EQ(300, m_director.GetNextInSlotOrder(0, &x, &y, &image));
    EXPECT_EQ((std::vector<int>{7, 8, 42}), (std::vector<int>{x, y, image}));
    EXPECT_EQ(0, m_director.GetNextInSlotOrder(300, &x, &y, &image));
    EXPECT_EQ((std::vector<int>{42}), Pass(m_director, true));
    m_director.DeleteAll();

    // The flash in the lower slot is still drawn after the door.
    auto* flash = new CSubliminal;
    ASSERT_TRUE(m_director.AddActor(flash));
    flash->Init(&m_director, 65, 0, 0);
    auto* door = new CDoor(kDoorTable[kLowerDoor - 1]);
    ASSERT_TRUE(m_director.AddActor(door));
    door->Init(&m_director, 52, 0, 0);
    EXPECT_EQ((std::vector<int>{65, 52}), Pass(m_director, false));
    EXPECT_EQ((std::vector<int>{52, 65}), Pass(m_director, true));
    m_director.DeleteAll();
    EXPECT_EQ(0, m_director.GetNextInDrawOrder(1, &x, &y, &image));  // no copy outlives its figures

    // Scattered figures come out by ascending depth (images name the slots); extreme depths
    // compare without overflow, and empty entries sort last.
    int live = 0;
    for (const auto& [slot, depth] : {std::pair{5, 30}, {100, INT_MIN}, {250, INT_MAX}, {251, 20}}) {
        m_director.m_apActors[slot] = new CountedActor(&live, 100, depth);
        m_director.m_apActors[slot]->SetDirector(&m_director, slot);
    }
    EXPECT_EQ((std::vector<int>{100, 251, 5, 250}), Pass(m_director, true));
    CActor* a = m_director.m_apActors[5];
    CActor* none = nullptr;
    EXPECT_EQ(0, CSceneDirector::CompareDepth(&none, &none));
    EXPECT_GT(CSceneDirector::CompareDepth(&none, &a), 0);
    EXPECT_LT(CSceneDirector::CompareDepth(&a, &none), 0);
    m_director.DeleteAll();
    EXPECT_EQ(0, live);
}

TEST_F(DirectorTest, AttachCentresTheScene) {
    const struct {
        int w, h, x, y;
    } cases[] = {{1024, 768, 192, 144}, {640, 480, 0, 0}, {639, 480, 0, 0}, {600, 400, -20, -40}, {0, 0, -320, -240}};
    for (const auto& c : cases) {
        scenetest::FakeHost host(c.w, c.h);
        m_director.m_anKinds[2] = 4;
        m_director.Attach(&host);
        EXPECT_EQ((std::vector<int>{c.x, c.y, 0}),
                  (std::vector<int>{m_director.m_nOriginX, m_director.m_nOriginY, m_director.m_anKinds[2]}));
    }
}

TEST_F(DirectorTest, FiguresAreOwnedAndTheCounterWraps) {
    theApp.m_nPain = 1;
    const std::int64_t quiet = FindSecond([](Lcg& g) { return g.Next() % 150 != 0; });
    int live = 0;
    {
        CSceneDirector director;
        for (int updates : {1, 2, 1000}) EXPECT_TRUE(director.AddActor(new CountedActor(&live, updates, 0)));
        TickAt(quiet, 1, &director);
        EXPECT_EQ(2, live);
        EXPECT_TRUE(director.AddActor(new CountedActor(&live, 1000, 0)));
        EXPECT_NE(nullptr, director.m_apActors[0]);  // a freed slot is reused first
        director.DeleteAll();
        EXPECT_EQ(0, live);
        EXPECT_TRUE(director.AddActor(new CountedActor(&live, 1000, 0)));
    }
    EXPECT_EQ(0, live);  // the destructor deleted the last one

    // The counter restarts before 2^31 on a multiple of both rhythms, even from beyond the wrap.
    static_assert(CSceneDirector::kTickWrap % 1800 == 0);
    TickAt(quiet, CSceneDirector::kTickWrap);
    EXPECT_EQ(CSceneDirector::kTickWrap, m_director.m_nTick);
    for (int before : {CSceneDirector::kTickWrap, INT_MAX}) {
        m_director.m_nTick = before;
        m_director.Tick();
        EXPECT_EQ(1, m_director.m_nTick);
    }
}

TEST_F(DirectorTest, PlayCueReadsTheSoundSettingAtEachCall) {
    m_director.PlayCue(871);
    theApp.m_nEnableSound = 0;
    m_director.PlayCue(774);
    theApp.m_nEnableSound = -3;  // any nonzero value is on
    m_director.PlayCue(775);
    EXPECT_EQ((std::vector<std::uint16_t>{871, 775}), headless::SoundLog());
}

}  // namespace
