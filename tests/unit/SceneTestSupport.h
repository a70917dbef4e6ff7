// Helpers for the scene tests: a host of a given screen size and the scene's generator as defined.
#pragma once

#include <cstdint>
#include <functional>

#include "scene/SceneHost.h"

namespace scenetest {

class FakeHost : public CSceneHost {
public:
    FakeHost(int width, int height) : m_width(width), m_height(height) {}
    int GetScreenWidth() override { return m_width; }
    int GetScreenHeight() override { return m_height; }

private:
    int m_width;
    int m_height;
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

}  // namespace scenetest
