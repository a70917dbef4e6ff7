// CSceneRandom: the scene's pseudo-random generator (state * 214013 + 2531011, bits 16..30).
#pragma once

#include <cstdint>

// The design has exactly one generator for the process: start-up seeds it, the director reseeds
// it every tick and the doors draw from it. Its single 32-bit state is a static member so that
// every figure reaches the same generator without threading it through each call.
class CSceneRandom {
public:
    static void Seed(std::uint32_t nSeed) { s_nState = nSeed; }
    // Next number, 0..32767.
    static int Next() {
        s_nState = s_nState * 214013u + 2531011u;
        return static_cast<int>((s_nState >> 16) & 0x7fffu);
    }
    static std::uint32_t GetState() { return s_nState; }

private:
    static std::uint32_t s_nState;
};
