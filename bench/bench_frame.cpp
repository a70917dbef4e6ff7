// Scene frame cost (door, flash; three sizes) against full redraw and the memcpy floor; creation time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/SaverApp.h"
#include "framework/GdiBitmap.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessSystem.h"
#include "scene/Actor.h"
#include "window/SceneWnd.h"

namespace {

// A door caught mid-swing for as long as the benchmark runs: every tick shows the next of two
// frames at the right-hand door's place, so every frame restores, draws and copies its area.
class CSwingingDoor : public CActor {
public:
    CSwingingDoor(int x, int y, int first, int second) : m_nFirst(first), m_nSecond(second) {
        m_nX = x;
        m_nY = y;
        m_nFrame = first;
    }
    BOOL GetDrawInfo(int* pX, int* pY, int* pImage) override {
        *pX = m_nX;
        *pY = m_nY;
        *pImage = m_nFrame;
        return TRUE;
    }
    BOOL Update() override {
        m_nFrame = m_nFrame == m_nFirst ? m_nSecond : m_nFirst;
        return TRUE;
    }
    int GetDepth() override { return m_nDepth; }
    BOOL IsBusy() override { return TRUE; }  // no other door starts meanwhile

    int m_nFirst;
    int m_nSecond;
    int m_nDepth = 0;
};

class CBenchWnd : public CSceneWnd {
public:
    CBenchWnd() : CSceneWnd(FALSE) {}

    BOOL CreateFull(int w, int h) {
        return CreateSceneWindow(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, RECT{0, 0, w, h}, nullptr, 0, 0);
    }
    CSceneDirector& Director() { return m_director; }
    void Frame() { OnTimer(kFrameTimer); }

    // The baseline without dirty rectangles: restore the whole frame, draw, copy it all out.
    void FullRedrawFrame() {
        m_director.Tick();
        CDC* pDC = GetDC();
        CDC dcBack, dcFrame;
        dcBack.CreateCompatibleDC(pDC);
        dcFrame.CreateCompatibleDC(pDC);
        CBitmap* pOldBack = dcBack.SelectObject(&m_bmpBackground);
        CBitmap* pOldFrame = dcFrame.SelectObject(&m_bmpFrame);
        dcFrame.BitBlt(0, 0, m_nScreenWidth, m_nScreenHeight, &dcBack, 0, 0, SRCCOPY);
        int x = 0, y = 0, image = 0;
        for (int pos = m_director.GetNextInDrawOrder(0, &x, &y, &image); pos != 0;
             pos = m_director.GetNextInDrawOrder(pos, &x, &y, &image)) {
            if (IsDrawableImage(image)) m_images[image].DrawMasked(&dcFrame, x, y, &m_masks[image], TRUE);
        }
        pDC->BitBlt(0, 0, m_nScreenWidth, m_nScreenHeight, &dcFrame, 0, 0, SRCCOPY);
        dcBack.SelectObject(pOldBack);
        dcFrame.SelectObject(pOldFrame);
        ReleaseDC(pDC);
    }

    // The rectangles one steady frame moves: restored, drawn, copied out (as RenderFrame pairs them).
    struct Work {
        std::vector<RECT> restore, draw, copy;
    };
    Work SteadyWork() {
        Work w;
        const int prev = 1 - m_nCurrentList;
        for (int i = 0; i < m_nDirtyCount[prev]; ++i) w.restore.push_back(m_rcDirty[prev][i]);
        w.draw = w.restore;  // a steady figure covers the same places again
        for (const RECT& r : w.restore) w.copy.push_back(r);
        return w;
    }
};

// The window under measurement; one at a time, since the headless display has one size.
struct BenchContext {
    CBenchWnd* wnd = nullptr;
    int w = 0, h = 0;
    bool flash = false;
    int monitors = 1, scale = 1;

    ~BenchContext() { delete wnd; }

    // Makes the window for this size and scene (creation is measured on its own below), on one
    // monitor or on `nMonitors` side by side, at a `Scale` setting.
    CBenchWnd* Get(int width, int height, bool withFlash, int nMonitors = 1, int nScale = 1) {
        if (wnd != nullptr && w == width && h == height && flash == withFlash && monitors == nMonitors &&
            scale == nScale)
            return wnd;
        delete wnd;  // its window goes with it
        wnd = nullptr;
        theApp.m_bFullScreen = 1;
        theApp.m_nEnableSound = 0;
        headless::ResetDisplay(width, height, 32);
        std::vector<plat::Rect> rects;
        for (int i = 0; i < nMonitors && nMonitors > 1; ++i)
            rects.push_back(plat::Rect{width / nMonitors * i, 0, width / nMonitors * (i + 1), height});
        headless::SetMonitors(rects);
        theApp.m_nScale = nScale;
        headless::SetClockMs(2000);
        w = width;
        h = height;
        flash = withFlash;
        monitors = nMonitors;
        scale = nScale;
        auto* made = new CBenchWnd;
        if (!made->CreateFull(width, height)) {
            delete made;  // not auto-deleting: the object outlives its refused window
            return nullptr;
        }
        wnd = made;
        headless::PumpMessages();
        const int ox = wnd->Director().m_nOriginX, oy = wnd->Director().m_nOriginY;
        wnd->Director().AddActor(new CSwingingDoor(ox + 524, oy + 46, 14, 15));  // the right-hand door's place
        if (withFlash) {
            auto* flashFig = new CSwingingDoor(ox, oy, 65, 65);
            flashFig->m_nDepth = 10000;
            wnd->Director().AddActor(flashFig);
        }
        wnd->Frame();
        wnd->Frame();  // steady: both lists hold the figures
        return wnd;
    }
};

void CopyRect(std::uint32_t* dst, const std::uint32_t* src, int pitch, const RECT& r, int w, int h) {
    const int l = std::max(0, static_cast<int>(r.left)), t = std::max(0, static_cast<int>(r.top));
    const int rr = std::min(w, static_cast<int>(r.right)), b = std::min(h, static_cast<int>(r.bottom));
    if (l >= rr || t >= b) return;
    for (int y = t; y < b; ++y)
        std::memcpy(dst + static_cast<std::ptrdiff_t>(y) * pitch + l, src + static_cast<std::ptrdiff_t>(y) * pitch + l,
                    static_cast<std::size_t>(rr - l) * 4);
}

void BM_Frame(benchmark::State& state, BenchContext* ctx, int w, int h, bool flash, int mode, int monitors = 1,
              int scale = 1) {
    CBenchWnd* wnd = ctx->Get(w, h, flash, monitors, scale);
    if (wnd == nullptr) {
        state.SkipWithError("the scene window could not be created");
        return;
    }
    if (mode == 0) {
        for (auto _ : state) wnd->Frame();
    } else if (mode == 1) {
        for (auto _ : state) wnd->FullRedrawFrame();
    } else {
        // The floor: the same rectangles moved by memcpy through the same four stages
        // (restore, draw, copy out, present), with no masks, no contexts, no director.
        const CBenchWnd::Work work = wnd->SteadyWork();
        std::vector<std::uint32_t> a(static_cast<std::size_t>(w) * h, 1), b(a.size(), 2), c(a.size(), 3), d(a.size());
        for (auto _ : state) {
            for (const RECT& r : work.restore) CopyRect(b.data(), a.data(), w, r, w, h);
            for (const RECT& r : work.draw) CopyRect(b.data(), c.data(), w, r, w, h);
            for (const RECT& r : work.copy) CopyRect(c.data(), b.data(), w, r, w, h);
            for (const RECT& r : work.copy) CopyRect(d.data(), c.data(), w, r, w, h);
            benchmark::DoNotOptimize(d.data());
            benchmark::ClobberMemory();
        }
    }
}

void BM_Create(benchmark::State& state, BenchContext* ctx) {
    delete ctx->wnd;
    ctx->wnd = nullptr;
    theApp.m_bFullScreen = 1;
    headless::ResetDisplay(1920, 1080, 32);
    for (auto _ : state) {
        auto* wnd = new CBenchWnd;
        if (!wnd->CreateFull(1920, 1080)) {
            state.SkipWithError("the scene window could not be created");
            delete wnd;
            break;
        }
        state.PauseTiming();
        wnd->DestroyWindow();
        delete wnd;
        state.ResumeTiming();
    }
}

// Collects the mean CPU time of every run for the ratio table printed at the end (CPU time, as the
// build machine is shared and wall time counts other people's work).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.iterations > 0 && r.run_type == Run::RT_Iteration) times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

const int kSizes[][2] = {{640, 480}, {1920, 1080}, {3840, 2160}};

}  // namespace

int main(int argc, char** argv) {
    const char* scenes[] = {"door", "flash"};
    const char* modes[] = {"dirty", "full", "memcpy"};
    BenchContext ctx;
    // Size by size, so each window is made once.
    for (const auto& sz : kSizes)
        for (int s = 0; s < 2; ++s)
            for (int m = 0; m < 3; ++m) {
                const int w = sz[0], h = sz[1];
                const std::string name = std::string("Frame/") + scenes[s] + "/" + modes[m] + "/" + std::to_string(w) +
                                         "/" + std::to_string(h);
                benchmark::RegisterBenchmark(name.c_str(), [&ctx, w, h, s, m](benchmark::State& st) {
                    BM_Frame(st, &ctx, w, h, s == 1, m);
                })->Unit(benchmark::kMicrosecond);
            }
    // Today's desktops: the same door's dirty frame enlarged 4 times, and on two monitors.
    benchmark::RegisterBenchmark("Frame/door/dirty/scale4/3840/2160", [&ctx](benchmark::State& st) {
        BM_Frame(st, &ctx, 3840, 2160, false, 0, 1, 4);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Frame/door/dirty/2monitors/3840/1080", [&ctx](benchmark::State& st) {
        BM_Frame(st, &ctx, 3840, 1080, false, 0, 2, 1);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Create/1920x1080", [&ctx](benchmark::State& st) {
        BM_Create(st, &ctx);
    })->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf(
        "\nFrame cost ratios, CPU time (targets for a door at 1920x1080: full / dirty >= 30, dirty / memcpy <= 4):\n");
    std::printf("%-7s %-11s %14s %16s %18s\n", "scene", "size", "dirty (us)", "full / dirty", "dirty / memcpy");
    for (const char* scene : scenes)
        for (const auto& sz : kSizes) {
            const std::string args = "/" + std::to_string(sz[0]) + "/" + std::to_string(sz[1]);
            const std::string base = std::string("Frame/") + scene + "/";
            auto find = [&](const char* mode) {
                auto it = reporter.times.find(base + mode + args);
                return it == reporter.times.end() ? 0.0 : it->second;
            };
            const double dirty = find("dirty"), full = find("full"), floor = find("memcpy");
            if (dirty <= 0) continue;
            std::printf("%-7s %5dx%-5d %14.1f %16.1f %18.2f\n", scene, sz[0], sz[1], dirty,
                        full > 0 ? full / dirty : 0.0, floor > 0 ? dirty / floor : 0.0);
        }
    const auto one = reporter.times.find("Frame/door/dirty/1920/1080");
    for (const auto& [name, pixels] : {std::pair<std::string, double>{"Frame/door/dirty/scale4/3840/2160", 16.0},
                                       std::pair<std::string, double>{"Frame/door/dirty/2monitors/3840/1080", 2.0}}) {
        const auto it = reporter.times.find(name);
        if (it == reporter.times.end() || one == reporter.times.end() || one->second <= 0) continue;
        std::printf(
            "%s: %.1f us = %.2fx the 1x frame on one 1920x1080 monitor (copies %.0fx the pixels; goal <= %.1fx)\n",
            name.c_str(), it->second, it->second / one->second, pixels, pixels * 1.2);
    }
    auto create = reporter.times.find("Create/1920x1080");
    if (create != reporter.times.end())
        std::printf("creation of the window at 1920x1080 (66 images and masks), CPU: %.1f ms (target < 50)\n",
                    create->second);
    benchmark::Shutdown();
    return 0;
}
