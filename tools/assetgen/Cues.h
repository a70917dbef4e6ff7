// The fifteen sound cues of the scene, each synthesised at its own rate and length.
#pragma once
#include <cstdint>
#include <vector>

namespace cues {

struct CueInfo {
    int id;
    uint32_t rate;
    double seconds;
};

const std::vector<CueInfo>& Table();
// Samples of one cue: exactly round(rate x seconds) of them, 16-bit mono.
std::vector<int16_t> Render(const CueInfo& cue);

}  // namespace cues
