// morgrave-record: runs the scene window headless from a fixed clock, writes a GIF and a scene log.
#include <cstdio>
#include <string>
#include <vector>

#include "GifWriter.h"
#include "RecordOptions.h"
#include "RecordWnd.h"
#include "app/SaverApp.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessSystem.h"
#include "scene/SceneRandom.h"

namespace {

constexpr int kTickCentiseconds = 5;  // the frame timer's 50 ms

// The screen, shrunk by whole-pixel sampling so the scene's colours stay exact.
void AddScreenFrame(CGifWriter& gif, int scale, int delay, std::vector<std::uint32_t>& scratch) {
    const plat::Surface& s = headless::Screen();
    if (scale == 1) {
        gif.AddFrame(s.pixels, s.pitch, delay);
        return;
    }
    const int w = s.width / scale;
    const int h = s.height / scale;
    scratch.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            scratch[static_cast<std::size_t>(y) * w + x] =
                s.pixels[static_cast<std::ptrdiff_t>(y * scale) * s.pitch + x * scale];
    gif.AddFrame(scratch.data(), w, delay);
}

}  // namespace

int main(int argc, char** argv) {
    RecordOptions opt;
    std::string error;
    if (!ParseRecordOptions(std::vector<std::string>(argv + 1, argv + argc), &opt, &error)) {
        std::fprintf(stderr, "morgrave-record: %s\n%s", error.c_str(), RecordUsage());
        return 2;
    }
    if (opt.help) {
        std::fputs(RecordUsage(), stdout);
        return 0;
    }
    if (opt.width / opt.scale < 1 || opt.height / opt.scale < 1) {
        std::fprintf(stderr, "morgrave-record: --scale %d leaves no pixel of a %dx%d display\n", opt.scale, opt.width,
                     opt.height);
        return 2;
    }

    std::FILE* log = nullptr;
    if (!opt.logPath.empty() && (log = std::fopen(opt.logPath.c_str(), "w")) == nullptr) {
        std::fprintf(stderr, "morgrave-record: cannot write %s\n", opt.logPath.c_str());
        return 1;
    }

    // The full-screen mode's state, as start-up would leave it.
    theApp.m_bFullScreen = 1;
    theApp.m_nEnableSound = opt.sound;
    theApp.m_nPain = opt.pain;
    theApp.m_nSubliminals = opt.subliminals;
    headless::ResetDisplay(opt.width, opt.height, 32);
    headless::SetClockMs(opt.clockSeconds * 1000);
    headless::ClearSoundLog();
    CSceneRandom::Seed(static_cast<std::uint32_t>(opt.clockSeconds));

    auto* wnd = new CRecordWnd;
    if (!wnd->CreateFullScreen(opt.width, opt.height)) {
        std::fprintf(stderr, "morgrave-record: the scene window refused to start (a picture is missing)\n");
        if (log != nullptr) std::fclose(log);
        return 1;
    }
    headless::PumpMessages();  // the first paint: background and nothing else

    CGifWriter gif(opt.width / opt.scale, opt.height / opt.scale);
    std::vector<std::uint32_t> scratch;
    const bool wantGif = !opt.gifPath.empty();
    if (wantGif) AddScreenFrame(gif, opt.scale, kTickCentiseconds, scratch);

    for (int tick = 1; tick <= opt.ticks; ++tick) {
        const std::size_t cuesBefore = headless::SoundLog().size();
        if (headless::RunTicks(1) != 1) {
            std::fprintf(stderr, "morgrave-record: the frame timer stopped at tick %d\n", tick);
            break;
        }
        if (log != nullptr) {
            const std::vector<std::uint16_t>& cues = headless::SoundLog();
            for (std::size_t i = cuesBefore; i < cues.size(); ++i) std::fprintf(log, "%d cue %u\n", tick, cues[i]);
            for (const CRecordWnd::Figure& f : wnd->DrawnFigures())
                std::fprintf(log, "%d draw %d %d %d\n", tick, f.x, f.y, f.image);
        }
        if (wantGif) AddScreenFrame(gif, opt.scale, kTickCentiseconds, scratch);
    }

    int status = 0;
    if (log != nullptr && std::fclose(log) != 0) {
        std::fprintf(stderr, "morgrave-record: cannot finish %s\n", opt.logPath.c_str());
        status = 1;
    }
    if (wantGif) {
        if (!gif.WriteFile(opt.gifPath)) {
            std::fprintf(stderr, "morgrave-record: cannot write %s\n", opt.gifPath.c_str());
            status = 1;
        } else {
            std::printf("%s: %d ticks, %d GIF frames\n", opt.gifPath.c_str(), opt.ticks, gif.FrameCount());
        }
    }
    wnd->DestroyWindow();  // the object deletes itself after its last message
    return status;
}
