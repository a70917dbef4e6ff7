// Command line of morgrave-record: display size, clock, ticks, the three settings and outputs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RecordOptions {
    int width = 1024;
    int height = 768;
    std::int64_t clockSeconds = 0;  // the simulated clock's start
    int ticks = 200;
    int sound = 1;        // "Enable sound"
    int pain = 3;         // "Pain"
    int subliminals = 1;  // "Subliminals"
    std::string gifPath;
    std::string logPath;
    int scale = 1;  // frames shrunk by this whole factor in the GIF
    bool help = false;
};

// Parses argv[1..]; on a bad option returns false with a message for the user in *error.
bool ParseRecordOptions(const std::vector<std::string>& args, RecordOptions* out, std::string* error);

// The usage text printed by --help and after an error.
const char* RecordUsage();
