// The scene director: generator, spawn odds, kind history, flash/ambient timing, order, ownership.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <vector>

#include "SceneTestSupport.h"
#include "app/SaverApp.h"
#include "platform/headless/HeadlessSystem.h"
#include "scene/Actor.h"
#include "scene/Door.h"
#include "scene/SceneDirector.h"
#include "scene/SceneRandom.h"
#include "scene/Subliminal.h"

namespace {

using scenetest::FakeHost;
using scenetest::FindSecond;
using scenetest::Lcg;

// The kind number (1..5) of a door figure, 6 for the flash, 0 for anything else.
int KindOf(CActor* actor) {
    if (auto* d = dynamic_cast<CDoor*>(actor)) {
        const int firstImages[] = {1, 13, 26, 39, 52};
        for (int k = 0; k < 5; ++k)
            if (d->m_nBaseImage == firstImages[k]) return k + 1;
    }
    if (dynamic_cast<CSubliminal*>(actor)) return 6;
    return 0;
}

int CountFigures(const CSceneDirector& director) {
    int n = 0;
    for (CActor* actor : director.m_apActors) n += actor != nullptr ? 1 : 0;
    return n;
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
    void SetSecond(std::int64_t t) { headless::SetClockMs(t * 1000); }

    FakeHost m_host{640, 480};
    CSceneDirector m_director;
};

TEST_F(DirectorTest, GeneratorAndTheFirstDoorOfSecondTwo) {
    CSceneRandom::Seed(1);
    EXPECT_EQ(41, CSceneRandom::Next());
    EXPECT_EQ(18467, CSceneRandom::Next());
    EXPECT_EQ(6334, CSceneRandom::Next());
    EXPECT_EQ(26500, CSceneRandom::Next());
    CSceneRandom::Seed(2);
    EXPECT_EQ(45, CSceneRandom::Next());
    EXPECT_EQ(29216, CSceneRandom::Next());

    // A clock reading of 2 s, Pain 4: 45 is divisible by 3, and 29216 % 5 + 1 = 2. A door that
    // finishes in this tick's update pass frees the stage and its slot for it.
    theApp.m_nPain = 4;
    headless::SetClockMs(2000);
    CSceneRandom::Seed(12345);  // start-up's seed is replaced at the tick
    int live = 0;
    ASSERT_TRUE(m_director.AddActor(new CountedActor(&live, 1, 0, TRUE)));
    m_director.Tick();
    EXPECT_EQ(0, live);
    EXPECT_EQ(1, m_director.m_nTick);
    ASSERT_NE(nullptr, m_director.m_apActors[0]);
    EXPECT_EQ(2, KindOf(m_director.m_apActors[0]));
    EXPECT_EQ(524, m_director.m_apActors[0]->m_nX);
    EXPECT_EQ(46, m_director.m_apActors[0]->m_nY);
    EXPECT_EQ(2, m_director.m_anKinds[0]);
    EXPECT_EQ(0, m_director.m_anKinds[1]);
    EXPECT_EQ(1, CountFigures(m_director));
}

TEST_F(DirectorTest, SpawnOddsFollowPainIncludingValuesOutsideTheDialogRange) {
    const struct {
        int pain, divisor;
    } levels[] = {{1, 150}, {2, 100}, {3, 25}, {4, 3}, {0, 50}, {5, 50}, {9, 50}, {-1, 50}};
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
        // 6000 seconds: about 6000 / N doors.
        EXPECT_NEAR(6000.0 / level.divisor, started, 6000.0 / level.divisor * 0.35 + 3);
    }
}

TEST_F(DirectorTest, KindHistoryRule) {
    theApp.m_nPain = 4;
    const std::int64_t spawn = FindSecond([](Lcg& g) { return g.Next() % 3 == 0; });

    // After doors of kinds 2, 5 and 1 the next is 3 or 4, and the history shifts.
    std::set<int> seen;
    for (std::int64_t t = spawn, found = 0; found < 40; ++t) {
        Lcg probe{static_cast<std::uint32_t>(t)};
        if (probe.Next() % 3 != 0) continue;
        ++found;
        CSceneDirector director;
        director.Attach(&m_host);
        director.m_anKinds[0] = 1;
        director.m_anKinds[1] = 5;
        director.m_anKinds[2] = 2;
        SetSecond(t);
        director.Tick();
        const int kind = director.m_anKinds[0];
        ASSERT_TRUE(kind == 3 || kind == 4) << kind;
        EXPECT_EQ(1, director.m_anKinds[1]);
        EXPECT_EQ(5, director.m_anKinds[2]);
        EXPECT_EQ(2, director.m_anKinds[3]);
        EXPECT_EQ(kind, KindOf(director.m_apActors[0]));
        seen.insert(kind);
    }
    EXPECT_EQ((std::set<int>{3, 4}), seen);

    // With an empty history the first door may be any kind.
    seen.clear();
    for (std::int64_t t = spawn; seen.size() < 5 && t < spawn + 2000; ++t) {
        CSceneDirector director;
        director.Attach(&m_host);
        SetSecond(t);
        director.Tick();
        if (director.m_apActors[0] != nullptr) seen.insert(KindOf(director.m_apActors[0]));
    }
    EXPECT_EQ(5u, seen.size());

    // A full table: nothing starts, the new kind stays in the history, Attach clears it.
    for (CActor*& slot : m_director.m_apActors) slot = new CActor;
    CActor extra;
    EXPECT_FALSE(m_director.AddActor(&extra));
    SetSecond(spawn);
    m_director.Tick();
    EXPECT_NE(0, m_director.m_anKinds[0]);
    for (CActor* actor : m_director.m_apActors) EXPECT_EQ(0, KindOf(actor));
    m_director.Attach(&m_host);
    for (int kind : m_director.m_anKinds) EXPECT_EQ(0, kind);
}

TEST_F(DirectorTest, TicksWithinOneSecondDrawTheSameSpawnNumber) {
    theApp.m_nPain = 3;
    int secondsWithDoor = 0;
    for (std::int64_t t = 20000; t < 20400; ++t) {
        CSceneDirector director;
        director.Attach(&m_host);
        SetSecond(t);
        int firstDoorTick = 0;
        for (int tick = 1; tick <= 20; ++tick) {
            director.Tick();
            if (firstDoorTick == 0 && director.m_apActors[0] != nullptr) firstDoorTick = tick;
            headless::AdvanceClockMs(50);
        }
        Lcg lcg{static_cast<std::uint32_t>(t)};
        if (lcg.Next() % 25 == 0) {
            EXPECT_EQ(1, firstDoorTick) << "second " << t;
            ++secondsWithDoor;
        } else {
            EXPECT_EQ(0, firstDoorTick) << "second " << t;
        }
    }
    EXPECT_GT(secondsWithDoor, 0);
}

TEST_F(DirectorTest, FlashEvery1800TicksOnEvenDrawsOnlyWithSubliminals) {
    theApp.m_nPain = 1;
    // No door (first draw), flash (second draw even), no ambient cue (third draw).
    const std::int64_t tEven =
        FindSecond([](Lcg& g) { return g.Next() % 150 != 0 && g.Next() % 2 == 0 && g.Next() % 10 != 0; });
    const std::int64_t tOdd =
        FindSecond([](Lcg& g) { return g.Next() % 150 != 0 && g.Next() % 2 != 0 && g.Next() % 10 != 0; });

    SetSecond(tEven);
    m_director.m_nTick = 1798;
    m_director.Tick();  // tick 1799: only the spawn draw
    Lcg one{static_cast<std::uint32_t>(tEven)};
    one.Next();
    EXPECT_EQ(one.state, CSceneRandom::GetState());
    EXPECT_EQ(0, CountFigures(m_director));

    m_director.Tick();  // tick 1800
    ASSERT_NE(nullptr, m_director.m_apActors[0]);
    EXPECT_EQ(6, KindOf(m_director.m_apActors[0]));
    const std::uint32_t withFlash = CSceneRandom::GetState();
    int x = 0, y = 0, image = 0;
    EXPECT_EQ(1, m_director.GetNextInSlotOrder(0, &x, &y, &image));
    EXPECT_EQ(65, image);
    EXPECT_FALSE(m_director.m_bBusy);
    m_director.Tick();  // tick 1801: the flash is gone
    EXPECT_EQ(0, CountFigures(m_director));

    // Subliminals off: no flash, but the same draws.
    theApp.m_nSubliminals = 0;
    m_director.m_nTick = 1799;
    m_director.Tick();
    EXPECT_EQ(0, CountFigures(m_director));
    EXPECT_EQ(withFlash, CSceneRandom::GetState());

    // An odd draw: no flash even with Subliminals on.
    theApp.m_nSubliminals = 1;
    SetSecond(tOdd);
    m_director.m_nTick = 1799;
    m_director.Tick();
    EXPECT_EQ(0, CountFigures(m_director));
    EXPECT_TRUE(headless::SoundLog().empty());
}

TEST_F(DirectorTest, AmbientCueEvery300TicksWhenNoDoorIsAlive) {
    theApp.m_nPain = 1;
    const std::int64_t tOdd = FindSecond([](Lcg& g) { return g.Next() % 150 != 0 && g.Next() % 10 == 0 && g.Next() % 2 != 0; });
    const std::int64_t tEven = FindSecond([](Lcg& g) { return g.Next() % 150 != 0 && g.Next() % 10 == 0 && g.Next() % 2 == 0; });
    const auto tickAt = [this](std::int64_t t, int tick) {
        headless::ClearSoundLog();
        SetSecond(t);
        m_director.m_nTick = tick - 1;
        m_director.Tick();
        return headless::SoundLog();
    };
    EXPECT_EQ(std::vector<std::uint16_t>{864}, tickAt(tOdd, 300));
    EXPECT_EQ(std::vector<std::uint16_t>{860}, tickAt(tEven, 600));
    EXPECT_TRUE(tickAt(tOdd, 301).empty());

    // Subliminals off: no cue, and the second draw is not made.
    theApp.m_nSubliminals = 0;
    EXPECT_TRUE(tickAt(tOdd, 300).empty());
    Lcg two{static_cast<std::uint32_t>(tOdd)};
    two.Next();
    two.Next();
    EXPECT_EQ(two.state, CSceneRandom::GetState());
    theApp.m_nSubliminals = 1;

    // Sound off: no cue, the same draws as with sound on.
    theApp.m_nEnableSound = 0;
    EXPECT_TRUE(tickAt(tOdd, 300).empty());
    Lcg three{static_cast<std::uint32_t>(tOdd)};
    for (int i = 0; i < 3; ++i) three.Next();
    EXPECT_EQ(three.state, CSceneRandom::GetState());
    theApp.m_nEnableSound = 1;

    // A door alive after the update pass silences it (the ambient draw is then the tick's first).
    const std::int64_t tBusy = FindSecond([](Lcg& g) { return g.Next() % 10 == 0; });
    auto* door = new CDoor(kDoorTable[0]);
    ASSERT_TRUE(m_director.AddActor(door));
    door->Init(&m_director, 1, 0, 0);
    EXPECT_TRUE(tickAt(tBusy, 300).empty());
    m_director.DeleteAll();

    // A door started in the same tick does not: Pain 4, door, kind, ambient, parity.
    theApp.m_nPain = 4;
    const std::int64_t tBoth =
        FindSecond([](Lcg& g) { return g.Next() % 3 == 0 && (g.Next(), true) && g.Next() % 10 == 0 && g.Next() % 2 != 0; });
    EXPECT_EQ(std::vector<std::uint16_t>{864}, tickAt(tBoth, 900));
    EXPECT_NE(0, KindOf(m_director.m_apActors[0]));
}

TEST_F(DirectorTest, IterationsInSlotAndDepthOrder) {
    int x = 0, y = 0, image = 0;
    EXPECT_EQ(0, m_director.GetNextInSlotOrder(0, &x, &y, &image));
    EXPECT_EQ(0, m_director.GetNextInDrawOrder(0, &x, &y, &image));

    auto* last = new CActor;
    last->m_nX = 7;
    last->m_nY = 8;
    last->SetDirector(&m_director, 42);
    m_director.m_apActors[299] = last;
    EXPECT_EQ(300, m_director.GetNextInSlotOrder(0, &x, &y, &image));
    EXPECT_EQ(7, x);
    EXPECT_EQ(8, y);
    EXPECT_EQ(42, image);
    EXPECT_EQ(0, m_director.GetNextInSlotOrder(300, &x, &y, &image));
    EXPECT_EQ(1, m_director.GetNextInDrawOrder(0, &x, &y, &image));
    EXPECT_EQ(0, m_director.GetNextInDrawOrder(1, &x, &y, &image));
    m_director.DeleteAll();

    // The flash in the lower slot is still drawn after the door.
    auto* flash = new CSubliminal;
    ASSERT_TRUE(m_director.AddActor(flash));
    flash->Init(&m_director, 65, 0, 0);
    auto* door = new CDoor(kDoorTable[4]);
    ASSERT_TRUE(m_director.AddActor(door));
    door->Init(&m_director, 52, 0, 0);
    std::vector<int> slotImages, drawImages;
    for (int i = m_director.GetNextInSlotOrder(0, &x, &y, &image); i != 0;
         i = m_director.GetNextInSlotOrder(i, &x, &y, &image)) {
        slotImages.push_back(image);
    }
    for (int i = m_director.GetNextInDrawOrder(0, &x, &y, &image); i != 0;
         i = m_director.GetNextInDrawOrder(i, &x, &y, &image)) {
        drawImages.push_back(image);
    }
    EXPECT_EQ((std::vector<int>{65, 52}), slotImages);
    EXPECT_EQ((std::vector<int>{52, 65}), drawImages);
    m_director.DeleteAll();
    // The sorted copy does not outlive the figures it pointed at.
    EXPECT_EQ(0, m_director.GetNextInDrawOrder(1, &x, &y, &image));

    // Scattered figures come out by ascending depth; extreme depths compare without overflow.
    int live = 0;
    m_director.m_apActors[5] = new CountedActor(&live, 100, 30);
    m_director.m_apActors[100] = new CountedActor(&live, 100, INT_MIN);
    m_director.m_apActors[250] = new CountedActor(&live, 100, INT_MAX);
    m_director.m_apActors[251] = new CountedActor(&live, 100, 20);
    std::vector<CActor*> order;
    for (int i = m_director.GetNextInDrawOrder(0, &x, &y, &image); i != 0;
         i = m_director.GetNextInDrawOrder(i, &x, &y, &image)) {
        order.push_back(m_director.m_apDrawOrder[i - 1]);
    }
    const std::vector<CActor*> expected = {m_director.m_apActors[100], m_director.m_apActors[251],
                                           m_director.m_apActors[5], m_director.m_apActors[250]};
    EXPECT_EQ(expected, order);
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
    } cases[] = {{1024, 768, 192, 144}, {640, 480, 0, 0}, {639, 480, 0, 0}, {600, 400, -20, -40},
                 {641, 481, 0, 0}, {0, 0, -320, -240}};
    for (const auto& c : cases) {
        FakeHost host(c.w, c.h);
        m_director.m_anKinds[2] = 4;
        m_director.Attach(&host);
        EXPECT_EQ(c.x, m_director.m_nOriginX) << c.w;
        EXPECT_EQ(c.y, m_director.m_nOriginY) << c.h;
        EXPECT_EQ(0, m_director.m_anKinds[2]);
    }
}

TEST_F(DirectorTest, FiguresAreOwnedAndTheCounterWraps) {
    theApp.m_nPain = 1;
    SetSecond(FindSecond([](Lcg& g) { return g.Next() % 150 != 0; }));
    int live = 0;
    {
        CSceneDirector director;
        director.Attach(&m_host);
        EXPECT_TRUE(director.AddActor(new CountedActor(&live, 1, 0)));
        EXPECT_TRUE(director.AddActor(new CountedActor(&live, 2, 0)));
        EXPECT_TRUE(director.AddActor(new CountedActor(&live, 1000, 0)));
        EXPECT_EQ(3, live);
        director.Tick();
        EXPECT_EQ(2, live);
        EXPECT_EQ(nullptr, director.m_apActors[0]);
        // A freed slot is reused first.
        EXPECT_TRUE(director.AddActor(new CountedActor(&live, 1000, 0)));
        EXPECT_NE(nullptr, director.m_apActors[0]);
        director.Tick();
        EXPECT_EQ(2, live);
        director.DeleteAll();
        EXPECT_EQ(0, live);
        EXPECT_TRUE(director.AddActor(new CountedActor(&live, 1000, 0)));
    }
    EXPECT_EQ(0, live);  // the destructor deleted the last one

    // The counter restarts before 2^31, on a multiple of 1800, keeping the 300/1800 rhythm.
    static_assert(CSceneDirector::kTickWrap % 1800 == 0);
    m_director.m_nTick = CSceneDirector::kTickWrap - 1;
    m_director.Tick();
    EXPECT_EQ(CSceneDirector::kTickWrap, m_director.m_nTick);
    m_director.Tick();
    EXPECT_EQ(1, m_director.m_nTick);
    m_director.m_nTick = INT_MAX;  // even a counter set beyond the wrap cannot overflow
    m_director.Tick();
    EXPECT_EQ(1, m_director.m_nTick);
}

TEST_F(DirectorTest, PlayCueReadsTheSoundSettingAtEachCall) {
    m_director.PlayCue(871);
    theApp.m_nEnableSound = 0;
    m_director.PlayCue(774);
    theApp.m_nEnableSound = -3;  // any nonzero value is on
    m_director.PlayCue(775);
    EXPECT_EQ((std::vector<std::uint16_t>{871, 775}), headless::SoundLog());
}

TEST_F(DirectorTest, SoundOffGivesTheSameDrawsAndFrames) {
    theApp.m_nPain = 4;
    std::vector<std::int64_t> traces[2];
    std::size_t cues[2] = {0, 0};
    for (int sound = 0; sound < 2; ++sound) {
        theApp.m_nEnableSound = sound;
        headless::ClearSoundLog();
        headless::SetClockMs(1700000000000);
        CSceneDirector director;
        director.Attach(&m_host);
        for (int tick = 0; tick < 12000; ++tick) {
            director.Tick();
            traces[sound].push_back(CSceneRandom::GetState());
            int x = 0, y = 0, image = 0;
            for (int i = director.GetNextInSlotOrder(0, &x, &y, &image); i != 0;
                 i = director.GetNextInSlotOrder(i, &x, &y, &image)) {
                traces[sound].push_back(i * 100000 + image);
            }
            headless::AdvanceClockMs(50);
        }
        cues[sound] = headless::SoundLog().size();
    }
    EXPECT_EQ(traces[0], traces[1]);
    EXPECT_EQ(0u, cues[0]);
    EXPECT_GT(cues[1], 50u);
}

}  // namespace
