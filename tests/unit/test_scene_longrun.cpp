// 24 simulated hours of scene ticks at every Pain level, checked against the door table and rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "SceneTestSupport.h"
#include "app/SaverApp.h"
#include "platform/headless/HeadlessSystem.h"
#include "scene/Actor.h"
#include "scene/Door.h"
#include "scene/SceneDirector.h"
#include "scene/Subliminal.h"

namespace {

constexpr int kTicksPerDay = 24 * 60 * 60 * 20;

// Update numbers of each kind's cues and end (index = kind number).
struct Life {
    int swing, opening, openCue, closing, shutting, finished;
    std::uint16_t evenCue, oddCue;
};
const Life kLife[6] = {
    {},
    {13, 33, 48, 153, 169, 193, 761, 762},
    {13, 33, 48, 133, 153, 177, 763, 763},
    {13, 33, 50, 137, 157, 181, 764, 765},
    {13, 33, 49, 145, 165, 189, 768, 767},
    {13, 33, 50, 101, 121, 145, 769, 766},
};
const int kFirstImage[6] = {0, 1, 13, 26, 39, 52};

struct Figure {
    int kind = 0;  // 1..5 doors, 6 the flash
    int ticks = 0;  // a door's own update count
};

Figure Inspect(CActor* actor) {
    if (auto* d = dynamic_cast<CDoor*>(actor)) {
        for (int k = 1; k <= 5; ++k)
            if (d->m_nBaseImage == kFirstImage[k]) return {k, d->m_nTicks};
    }
    if (dynamic_cast<CSubliminal*>(actor)) return {6, 0};
    return {};
}

struct Totals {
    int doors = 0;
    int flashes = 0;
    int ambient = 0;
};

// Runs one day and returns what happened; every invariant is checked with ASSERTs on the way.
void RunDay(int pain, Totals* totals) {
    theApp.m_nPain = pain;
    theApp.m_nSubliminals = 1;
    theApp.m_nEnableSound = 1;
    headless::SetClockMs(1700000000000 + static_cast<std::int64_t>(pain) * 7777777);
    scenetest::FakeHost host(1024, 768);
    CSceneDirector director;
    director.Attach(&host);

    int doorKind = 0;     // the door alive before this tick, 0 if none
    int doorUpdates = 0;  // its updates so far
    std::vector<int> started;
    std::vector<std::uint16_t> expected;

    for (int tick = 1; tick <= kTicksPerDay; ++tick) {
        headless::ClearSoundLog();
        director.Tick();
        headless::AdvanceClockMs(50);
        ASSERT_EQ(tick, director.m_nTick);

        // The old door's update this tick, and the cue the table puts on it.
        expected.clear();
        bool openCue = false;
        bool doorDone = false;
        if (doorKind != 0) {
            const Life& life = kLife[doorKind];
            const int n = ++doorUpdates;
            if (n == life.swing) expected.push_back(871);
            if (n == life.opening) expected.push_back(774);
            if (n == life.openCue) openCue = true;
            if (n == life.closing) expected.push_back(775);
            if (n == life.shutting) expected.push_back(869);
            doorDone = n == life.finished;
        }

        const bool doorSurvived = doorKind != 0 && !doorDone;

        int doors = 0, flashes = 0;
        Figure door;
        CActor* doorActor = nullptr;
        for (CActor* actor : director.m_apActors) {
            if (actor == nullptr) continue;
            const Figure f = Inspect(actor);
            ASSERT_NE(0, f.kind) << "unknown figure at tick " << tick;
            if (f.kind == 6) {
                ++flashes;
            } else {
                ++doors;
                door = f;
                doorActor = actor;
            }
        }
        ASSERT_LE(doors, 1) << "tick " << tick;
        ASSERT_LE(flashes, 1) << "tick " << tick;

        // The old door lives exactly to its table's last update; a new one starts at count 0,
        // at its kind's first image, and differs from the three kinds before it.
        if (doorSurvived) {
            ASSERT_EQ(1, doors) << "door ended early, tick " << tick;
            ASSERT_EQ(doorKind, door.kind);
            ASSERT_EQ(doorUpdates, door.ticks);
        } else if (doors == 1) {
            ASSERT_EQ(0, door.ticks) << "tick " << tick;
            ASSERT_EQ(door.kind, director.m_anKinds[0]);
            for (std::size_t back = 1; back <= 3 && back <= started.size(); ++back) {
                ASSERT_NE(started[started.size() - back], door.kind) << "history rule, tick " << tick;
            }
            int x = 0, y = 0, image = 0;
            doorActor->GetDrawInfo(&x, &y, &image);
            ASSERT_EQ(kFirstImage[door.kind], image);
            started.push_back(door.kind);
            doorKind = door.kind;
            doorUpdates = 0;
            ++totals->doors;
        } else {
            doorKind = 0;
        }

        // The flash: born only on ticks divisible by 1800, gone at the next tick.
        if (flashes == 1) {
            ASSERT_EQ(0, tick % 1800) << "flash off its rhythm or outlived its tick, tick " << tick;
            ++totals->flashes;
        }

        // Sounds: the old door's cue of this update, then at most one ambient cue on the 300-tick
        // rhythm, and only when no door outlived the update pass.
        const std::vector<std::uint16_t>& log = headless::SoundLog();
        std::size_t i = 0;
        for (std::uint16_t cue : expected) {
            ASSERT_LT(i, log.size()) << "missing cue " << cue << " at tick " << tick;
            ASSERT_EQ(cue, log[i]) << "tick " << tick;
            ++i;
        }
        if (openCue) {
            ASSERT_LT(i, log.size()) << "missing open cue at tick " << tick;
            const Life& life = kLife[started.back()];
            ASSERT_TRUE(log[i] == life.evenCue || log[i] == life.oddCue) << log[i] << " at tick " << tick;
            ++i;
        }
        if (i < log.size()) {
            ASSERT_TRUE(log[i] == 860 || log[i] == 864) << log[i] << " at tick " << tick;
            ASSERT_EQ(0, tick % 300) << "ambient cue off its rhythm, tick " << tick;
            ASSERT_FALSE(doorSurvived) << "ambient cue over a door, tick " << tick;
            ++i;
            ++totals->ambient;
        }
        ASSERT_EQ(log.size(), i) << "unexpected cue at tick " << tick;
    }
    director.DeleteAll();
    for (CActor* actor : director.m_apActors) ASSERT_EQ(nullptr, actor);
}

TEST(SceneLongRun, OneDayAtEveryPainLevel) {
    for (int pain : {1, 2, 3, 4, 7}) {
        SCOPED_TRACE(pain);
        Totals totals;
        RunDay(pain, &totals);
        if (HasFatalFailure()) return;
        std::printf("Pain %d: %d doors, %d flashes, %d ambient cues in 24 h\n", pain, totals.doors, totals.flashes,
                    totals.ambient);
        // Some of everything happened: a day without doors or flashes would prove nothing.
        EXPECT_GT(totals.doors, 100);
        EXPECT_GT(totals.flashes, 100);
        EXPECT_GT(totals.ambient, 10);
    }
}

}  // namespace
