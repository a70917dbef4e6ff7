// Helpers for the scene tests: a host of a given size, the generator as defined, each door's life.
#pragma once

#include <cstdint>
#include <functional>

#include "scene/Door.h"
#include "scene/SceneHost.h"
#include "scene/Subliminal.h"

namespace scenetest {

struct FakeHost : CSceneHost {
    FakeHost(int w, int h) : width(w), height(h) {}
    int GetScreenWidth() override { return width; }
    int GetScreenHeight() override { return height; }
    int width, height;
};

// The generator as the design defines it, written out independently of the product's class.
struct Lcg {
    std::uint32_t state;
    int Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 32767u);
    }
};

// The first clock second (from `from`) whose draws after reseeding satisfy `wanted`.
inline std::int64_t FindSecond(const std::function<bool(Lcg&)>& wanted, std::int64_t from = 1000) {
    for (std::int64_t t = from; t < from + 10000000; ++t) {
        Lcg lcg{static_cast<std::uint32_t>(t)};
        if (wanted(lcg)) return t;
    }
    return -1;
}

// A door kind's life: first image, last frame, place in the scene, the updates (counted from 1)
// of its cue 871, cue 774, opening, open cue, closing, cue 775, cue 869 and end, its open cues.
struct DoorLife {
    int firstImage, lastFrame, x, y;
    int swing, opening, open, openCue, closingBegins, closing, shutting, finished;
    std::uint16_t evenCue, oddCue;
};
// Indexed by kind number; row 0 is no door.
inline constexpr DoorLife kLives[6] = {
    {},
    {1, 11, 244, 0, 13, 33, 41, 48, 149, 153, 169, 193, 761, 762},
    {13, 12, 524, 46, 13, 33, 45, 48, 129, 133, 153, 177, 763, 763},
    {26, 12, 358, 156, 13, 33, 45, 50, 133, 137, 157, 181, 764, 765},
    {39, 12, 240, 359, 13, 33, 45, 49, 141, 145, 165, 189, 768, 767},
    {52, 12, 456, 239, 13, 33, 45, 50, 99, 101, 121, 145, 769, 766},
};

// The kind of a figure: 1..5 a door (known by its first image), 6 the flash, 0 anything else.
inline int KindOf(CActor* actor) {
    if (auto* door = dynamic_cast<CDoor*>(actor)) {
        for (int kind = 1; kind <= 5; ++kind)
            if (door->m_nBaseImage == kLives[kind].firstImage) return kind;
    }
    return dynamic_cast<CSubliminal*>(actor) != nullptr ? 6 : 0;
}

}  // namespace scenetest
