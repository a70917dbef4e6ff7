// The few platform calls the imaging code makes, faked for the bitmap fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzzdib {

// The fuzzer sets the bytes that bitmap resource 1 holds, and the display depth to report
// (8 makes a palette display).
void SetResource(const std::uint8_t* data, std::size_t size);
void SetDisplayDepth(std::int32_t bitsPerPixel);

}  // namespace fuzzdib
