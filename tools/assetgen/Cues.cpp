// The fifteen sound cues of the scene, each synthesised at its own rate and length.
#include "Cues.h"

#include <cmath>

#include "Noise.h"
#include "Synth.h"

namespace cues {
namespace {

using synth::Buffer;
using synth::Mix;
using synth::VoiceSpec;
using synth::VowelOf;

constexpr double kPi = 3.14159265358979323846;

const std::vector<CueInfo> kTable = {
    {761, 22050, 6.50}, {762, 22050, 6.54}, {763, 22050, 3.49}, {764, 22050, 5.51}, {765, 22050, 5.31},
    {766, 22050, 3.19}, {767, 22050, 6.18}, {768, 22050, 6.48}, {769, 22050, 2.28}, {774, 22050, 0.99},
    {775, 22050, 0.83}, {860, 44100, 1.77}, {864, 44100, 4.73}, {869, 44100, 1.61}, {871, 44100, 1.34},
};

// Rise over `a` seconds, hold, fall over `r` seconds before `len`.
double Ar(double t, double a, double r, double len)
{
    if (t < 0 || t > len) return 0.0;
    double up = t < a ? std::sin(0.5 * kPi * t / a) : 1.0;
    double down = t > len - r ? std::sin(0.5 * kPi * (len - t) / r) : 1.0;
    return up * down;
}

// A faint stir of air in the chamber so that no cue falls to digital silence.
Buffer RoomTone(double fs, size_t n, uint64_t seed, double level)
{
    Rng rng(seed);
    Buffer b = synth::WhiteNoise(n, rng);
    synth::Filter(b, synth::Biquad::LowPass(fs, 220.0, 0.707));
    synth::Filter(b, synth::Biquad::LowPass(fs, 220.0, 0.707));
    for (double& x : b) x *= level;
    return b;
}

Buffer Hinge(double fs, double len, double rateLo, double rateHi, bool rising, uint64_t seed)
{
    auto rate = [=](double t) {
        double u = t / len;
        double shape = rising ? std::sin(kPi * std::min(1.0, u * 1.2)) : 1.0 - u;
        return rateLo + (rateHi - rateLo) * shape + 12.0 * (noise::Value(t * 9.0, 1.5, static_cast<uint32_t>(seed)) - 0.5);
    };
    auto amp = [=](double t) { return Ar(t, 0.08, 0.25, len) * (0.7 + 0.3 * noise::Value(t * 6.0, 2.5, 7)); };
    Buffer squeal = synth::Creak(fs, len, rate, amp, {520, 1110, 1790, 2650}, seed);
    Buffer groan = synth::Creak(fs, len, [=](double t) { return rate(t) * 0.45; }, amp, {160, 310, 690}, seed + 1);
    Buffer out(squeal.size());
    for (size_t i = 0; i < out.size(); ++i) out[i] = squeal[i] * 0.6 + groan[i] * 0.8;
    return out;
}

Buffer Thump(double fs, double scale, uint64_t seed)
{
    Buffer body = synth::Modal(fs, 0.9, {52 * scale, 81 * scale, 123 * scale, 176 * scale}, {0.26, 0.18, 0.11, 0.07},
                               {1.0, 0.7, 0.45, 0.3});
    Buffer knock = synth::Burst(fs, 0.3, 0.035, 60, 1800, seed);
    Mix(body, knock, 0.0, fs, 1.4);
    return body;
}

Buffer IronRing(double fs, double len, double base, double decay, uint64_t seed)
{
    Rng rng(seed);
    std::vector<double> f, d, l;
    const double ratios[] = {1.0, 2.76, 5.40, 8.93, 13.3};
    for (int i = 0; i < 5; ++i) {
        double fi = base * ratios[i] * rng.Range(0.98, 1.02);
        if (fi > 7000.0) break;  // keep the metal dull rather than glassy
        f.push_back(fi);
        d.push_back(decay / (1.0 + i * 1.2));
        l.push_back(0.5 / (1.0 + i * 1.5));
    }
    return synth::Modal(fs, len, f, d, l);
}

// One voiced utterance of `len` seconds.
Buffer Utter(double fs, double len, synth::Curve pitch, char v0, char v1, double breath, double shift, uint64_t seed,
             double attack = 0.12, double release = 0.3, double brightness = 0.8, double tilt = 1.0)
{
    VoiceSpec s;
    s.pitch = std::move(pitch);
    s.amp = [=](double t) { return Ar(t, attack, release, len); };
    s.vowel = [=](double t) { return synth::Blend(VowelOf(v0), VowelOf(v1), std::min(1.0, t / len)); };
    s.breath = breath;
    s.shift = shift;
    s.brightness = brightness;
    s.jitter = 0.02;
    s.seed = seed;
    s.tilt = tilt;
    return synth::Voice(fs, len, s);
}

Buffer Groans(double fs, size_t n)
{
    Buffer b(n, 0.0);
    const double starts[] = {0.25, 2.35, 4.35}, lens[] = {1.8, 1.6, 1.75}, pitches[] = {108, 98, 104};
    for (int i = 0; i < 3; ++i) {
        double p = pitches[i];
        Buffer g = Utter(fs, lens[i], [=](double t) { return p * (1.05 - 0.18 * t / 1.8) * (1 + 0.01 * std::sin(t * 31)); },
                         i == 1 ? 'a' : 'o', 'u', 0.25, 0.95, 50 + i, 0.25, 0.6, 0.6);
        Mix(b, g, starts[i], fs, 1.0);
        // A ragged breath in between.
        Buffer br = synth::Burst(fs, 0.45, 0.2, 500, 1800, 60 + i);
        synth::Envelope(br, fs, [](double t) { return Ar(t, 0.2, 0.2, 0.45); });
        Mix(b, br, starts[i] + lens[i] + 0.05, fs, 0.12);
    }
    return synth::Reverb(b, fs, 1.4, 0.3, 1.0);
}

Buffer DistantScreams(double fs, size_t n)
{
    Buffer b(n, 0.0);
    const double starts[] = {0.35, 3.4}, lens[] = {2.3, 2.0};
    for (int i = 0; i < 2; ++i) {
        double len = lens[i];
        Buffer s = Utter(fs, len, [=](double t) {
            double contour = 640 + 260 * std::sin(kPi * std::min(1.0, t / len) * 0.8) - 120 * t / len;
            return contour * (1 + 0.03 * std::sin(2 * kPi * 5.5 * t));
        }, 'a', i ? 'e' : 'a', 0.2, 1.18, 70 + i, 0.18, 0.7, 0.7, 0.8);
        Mix(b, s, starts[i], fs, 1.0);
    }
    synth::Filter(b, synth::Biquad::LowPass(fs, 2200, 0.707));
    return synth::Reverb(b, fs, 2.3, 0.65, 1.5);
}

Buffer Chains(double fs, size_t n)
{
    Buffer b(n, 0.0);
    Rng rng(763);
    const double shakes[] = {0.15, 1.25, 2.3}, spans[] = {0.8, 0.7, 0.9};
    for (int s = 0; s < 3; ++s) {
        double t = shakes[s];
        while (t < shakes[s] + spans[s]) {
            // Many links strike each other and the stone at once: short dull rings and knocks.
            double level = rng.Range(0.2, 1.0) * (1.0 - 0.6 * (t - shakes[s]) / spans[s]);
            Buffer hit = IronRing(fs, 0.08, rng.Range(900, 2000), rng.Range(0.008, 0.025), rng.Next());
            Mix(b, hit, t, fs, level);
            Buffer knock = synth::Burst(fs, 0.04, 0.006, 200, 2500, rng.Next());
            Mix(b, knock, t, fs, level * 0.5);
            t += rng.Range(0.006, 0.035);
        }
        // The links dragging over stone.
        Buffer drag = synth::Burst(fs, spans[s], 10.0, 300, 1500, 900 + s);
        synth::Envelope(drag, fs, [=](double x) { return Ar(x, 0.1, 0.3, spans[s]) * (0.6 + 0.4 * std::sin(x * 40)); });
        Mix(b, drag, shakes[s], fs, 0.12);
    }
    return synth::Reverb(b, fs, 1.0, 0.3, 1.0);
}

Buffer Sobbing(double fs, size_t n)
{
    Buffer b(n, 0.0);
    Rng rng(764);
    double t = 0.2;
    for (int group = 0; group < 3; ++group) {
        int sobs = 3 + group % 2;
        for (int k = 0; k < sobs; ++k) {
            double len = rng.Range(0.13, 0.22), p = rng.Range(300, 360);
            Buffer s = Utter(fs, len, [=](double x) { return p * (1.0 + 0.25 * std::sin(kPi * x / len)); }, 'u', 'a', 0.5, 1.15,
                             rng.Next(), 0.03, 0.07, 0.6);
            Mix(b, s, t, fs, 0.9);
            t += len + rng.Range(0.05, 0.1);
        }
        // The gasp for breath after each fit.
        Buffer gasp = synth::Burst(fs, 0.4, 1.0, 1200, 3200, rng.Next());
        synth::Envelope(gasp, fs, [](double x) { return Ar(x, 0.3, 0.08, 0.4); });
        Mix(b, gasp, t + 0.05, fs, 0.22);
        t += 0.75 + rng.Range(0.0, 0.3);
    }
    return synth::Reverb(b, fs, 0.9, 0.25, 0.8);
}

Buffer Whipping(double fs, size_t n)
{
    Buffer b(n, 0.0);
    const double lashes[] = {0.5, 2.2, 3.85};
    for (int i = 0; i < 3; ++i) {
        double at = lashes[i];
        // Swish: noise swept upwards as the lash comes round.
        Rng rng(765 + i);
        Buffer swish = synth::WhiteNoise(static_cast<size_t>(0.28 * fs), rng);
        synth::Biquad bp = synth::Biquad::BandPass(fs, 500, 2.0);
        for (size_t k = 0; k < swish.size(); ++k) {
            double x = k / fs;
            if (k % 32 == 0) bp.Retune(synth::Biquad::BandPass(fs, 500 + 3000 * (x / 0.28), 2.0));
            swish[k] = bp.Process(swish[k]) * (x / 0.28) * (x / 0.28);
        }
        Mix(b, swish, at, fs, 0.5);
        Buffer crack = synth::Burst(fs, 0.08, 0.005, 1500, 8000, 780 + i);
        Mix(b, crack, at + 0.28, fs, 2.2);
        Buffer cry = Utter(fs, 0.75, [](double x) { return 230 + 140 * std::sin(kPi * std::min(1.0, x / 0.5)) - 60 * x; }, 'a', 'o',
                           0.3, 1.0, 790 + i, 0.04, 0.35, 0.7);
        Mix(b, cry, at + 0.38, fs, 0.8);
    }
    return synth::Reverb(b, fs, 1.2, 0.3, 1.0);
}

Buffer MadLaugh(double fs, size_t n)
{
    Buffer b(n, 0.0);
    Rng rng(766);
    double t = 0.08;
    for (int k = 0; k < 11; ++k) {
        double len = 0.12 + 0.01 * (k % 3), p = 270 - 9.0 * k + rng.Range(-10, 10);
        Buffer h = synth::Burst(fs, 0.05, 0.03, 800, 3000, rng.Next());
        Mix(b, h, t, fs, 0.12);
        Buffer ha = Utter(fs, len, [=](double x) { return p * (1.0 + 0.15 * (1.0 - x / len)); }, 'a', 'a', 0.2, 1.0,
                          rng.Next(), 0.015, 0.05, 0.9);
        Mix(b, ha, t + 0.035, fs, 1.0);
        t += len + 0.07;
    }
    Buffer wheeze = synth::Burst(fs, 0.35, 1.0, 900, 2500, 7661);
    synth::Envelope(wheeze, fs, [](double x) { return Ar(x, 0.25, 0.05, 0.35); });
    Mix(b, wheeze, t, fs, 0.2);
    t += 0.4;
    for (int k = 0; k < 3; ++k) {
        Buffer hee = Utter(fs, 0.11, [](double x) { return 430 - 150 * x; }, 'i', 'e', 0.25, 1.05, 7670 + k, 0.01, 0.05, 0.9);
        Mix(b, hee, t, fs, 0.9);
        t += 0.17;
    }
    return synth::Reverb(b, fs, 1.0, 0.3, 0.9);
}

Buffer PitWail(double fs, size_t n)
{
    Buffer b(n, 0.0);
    Buffer w = Utter(fs, 4.6, [](double t) { return (210 + 90 * std::sin(kPi * t / 4.6) - 20 * t / 4.6) * (1 + 0.02 * std::sin(t * 33)); },
                     'u', 'o', 0.25, 1.0, 767, 0.6, 1.2, 0.5);
    Mix(b, w, 0.3, fs, 1.0);
    Buffer low = Utter(fs, 3.0, [](double t) { return 95 - 8 * t; }, 'o', 'u', 0.3, 0.9, 7671, 0.5, 1.0, 0.5);
    Mix(b, low, 2.6, fs, 0.5);
    synth::Filter(b, synth::Biquad::LowPass(fs, 1700, 0.707));
    return synth::Reverb(b, fs, 2.6, 0.7, 1.6);
}

Buffer GroanChorus(double fs, size_t n)
{
    Buffer b(n, 0.0);
    const double pitches[] = {88, 112, 131, 150}, starts[] = {0.2, 0.9, 1.9, 2.8}, lens[] = {4.6, 4.2, 3.4, 3.0};
    const char vowels[] = {'o', 'u', 'a', 'o'};
    for (int i = 0; i < 4; ++i) {
        double p = pitches[i], len = lens[i];
        Buffer v = Utter(fs, len, [=](double t) { return p * (1.0 - 0.1 * t / len) * (1 + 0.015 * std::sin(t * (20 + i * 3))); },
                         vowels[i], 'u', 0.3, 0.95 + 0.05 * i, 768 + i, 0.5, 1.0, 0.55);
        Mix(b, v, starts[i], fs, 0.7);
    }
    synth::Filter(b, synth::Biquad::LowPass(fs, 2000, 0.707));
    return synth::Reverb(b, fs, 2.2, 0.6, 1.4);
}

Buffer Shriek(double fs, size_t n)
{
    Buffer b(n, 0.0);
    const double len = 1.95;
    Buffer s = Utter(fs, len, [=](double t) {
        double rise = std::min(1.0, t / 0.18);
        double p = 480 + 470 * rise - 480 * std::pow(t / len, 1.6);
        return p * (1 + 0.025 * std::sin(2 * kPi * 6.2 * t));
    }, 'a', 'e', 0.18, 1.15, 769, 0.05, 0.6, 0.75, 0.8);
    Mix(b, s, 0.04, fs, 1.0);
    synth::Filter(b, synth::Biquad::LowPass(fs, 3800, 0.707));
    return synth::Reverb(b, fs, 1.3, 0.35, 1.0);
}

Buffer Bolt(double fs, size_t n)
{
    Buffer b(n, 0.0);
    Mix(b, Thump(fs, 1.2, 774), 0.01, fs, 1.0);
    Mix(b, IronRing(fs, 0.6, 330, 0.16, 7741), 0.012, fs, 0.6);
    Mix(b, Thump(fs, 1.5, 7742), 0.13, fs, 0.3);  // the bounce against its stop
    return synth::Reverb(b, fs, 1.2, 0.35, 1.1);
}

Buffer Slam(double fs, size_t n)
{
    Buffer b(n, 0.0);
    Mix(b, Thump(fs, 0.9, 869), 0.01, fs, 1.2);
    Mix(b, synth::Burst(fs, 0.08, 0.008, 700, 6000, 8691), 0.01, fs, 0.7);
    const double rattles[] = {0.07, 0.13, 0.2, 0.24};
    for (int i = 0; i < 4; ++i) Mix(b, IronRing(fs, 0.3, 700 + 160 * i, 0.05, 8692 + i), rattles[i], fs, 0.3 - 0.05 * i);
    return synth::Reverb(b, fs, 1.7, 0.45, 1.3);
}

Buffer Drips(double fs, size_t n)
{
    Buffer b(n, 0.0);
    const double times[] = {0.12, 0.58, 0.93, 1.34};
    Rng rng(860);
    for (double at : times) {
        double f0 = rng.Range(900, 1300), f1 = f0 * rng.Range(1.5, 1.9);
        Buffer d(static_cast<size_t>(0.12 * fs), 0.0);
        double ph = 0.0;
        for (size_t k = 0; k < d.size(); ++k) {
            double x = k / fs;
            double f = f0 + (f1 - f0) * std::min(1.0, x / 0.025);
            ph += f / fs;
            d[k] = std::sin(2 * kPi * ph) * std::exp(-x / 0.03) * std::min(1.0, x / 0.002);
        }
        Mix(b, d, at, fs, rng.Range(0.6, 1.0));
    }
    Buffer wet = synth::Reverb(b, fs, 1.8, 0.75, 1.5);
    Buffer room = RoomTone(fs, n, 8601, 0.35);
    for (size_t i = 0; i < n; ++i) wet[i] += room[i];
    return wet;
}

Buffer WailAndWhispers(double fs, size_t n)
{
    Buffer b(n, 0.0);
    Buffer wail = Utter(fs, 2.9, [](double t) { return (340 - 70 * t / 2.9) * (1 + 0.03 * std::sin(2 * kPi * 4.5 * t)); }, 'u', 'o',
                        0.3, 1.15, 864, 0.7, 1.2, 0.5);
    synth::Filter(wail, synth::Biquad::LowPass(fs, 1400, 0.707));
    Mix(b, wail, 0.2, fs, 0.8);
    // Whispers: breath alone through moving vowels, in syllables.
    VoiceSpec w;
    const char seq[] = {'i', 'a', 'u', 'e', 'o', 'a', 'i', 'u', 'e', 'a', 'o', 'i', 'e', 'u', 'a', 'e'};
    w.pitch = [](double) { return 150.0; };
    w.amp = [](double t) { return Ar(t, 0.3, 0.5, 2.8) * std::pow(std::fabs(std::sin(kPi * 5.5 * t)), 1.5); };
    w.vowel = [&](double t) {
        int k = static_cast<int>(t * 5.5) % 16;
        return synth::Blend(VowelOf(seq[k]), VowelOf(seq[(k + 1) % 16]), t * 5.5 - std::floor(t * 5.5));
    };
    w.breath = 1.0;
    w.shift = 1.1;
    w.seed = 8641;
    Buffer whisper = synth::Voice(fs, 2.8, w);
    synth::Filter(whisper, synth::Biquad::HighPass(fs, 600, 0.707));
    synth::Filter(whisper, synth::Biquad::LowPass(fs, 4500, 0.707));
    synth::Filter(whisper, synth::Biquad::LowPass(fs, 4500, 0.707));
    Mix(b, whisper, 1.7, fs, 0.5);
    Buffer wet = synth::Reverb(b, fs, 2.0, 0.6, 1.5);
    Buffer room = RoomTone(fs, n, 8642, 0.5);
    for (size_t i = 0; i < n; ++i) wet[i] += room[i];
    return wet;
}

Buffer Creaking(const CueInfo& c, double fs, size_t n)
{
    Buffer b(n, 0.0);
    if (c.id == 871) Mix(b, Hinge(fs, 1.2, 25, 85, true, 871), 0.03, fs, 1.0);
    else Mix(b, Hinge(fs, 0.75, 20, 75, false, 775), 0.02, fs, 1.0);
    return synth::Reverb(b, fs, 0.9, 0.25, 1.0);
}

}  // namespace

const std::vector<CueInfo>& Table() { return kTable; }

std::vector<int16_t> Render(const CueInfo& c)
{
    const double fs = c.rate;
    const size_t n = static_cast<size_t>(std::llround(c.seconds * fs));
    Buffer b;
    double loud = -18.0;
    switch (c.id) {
    case 761: b = Groans(fs, n); break;
    case 762: b = DistantScreams(fs, n); loud = -20.0; break;
    case 763: b = Chains(fs, n); break;
    case 764: b = Sobbing(fs, n); loud = -19.0; break;
    case 765: b = Whipping(fs, n); break;
    case 766: b = MadLaugh(fs, n); break;
    case 767: b = PitWail(fs, n); loud = -19.0; break;
    case 768: b = GroanChorus(fs, n); break;
    case 769: b = Shriek(fs, n); break;
    case 774: b = Bolt(fs, n); loud = -16.0; break;
    case 869: b = Slam(fs, n); loud = -16.0; break;
    case 860: b = Drips(fs, n); loud = -22.0; break;
    case 864: b = WailAndWhispers(fs, n); loud = -21.0; break;
    default: b = Creaking(c, fs, n); break;  // 871, 775
    }
    b.resize(n, 0.0);
    return synth::Finish(b, fs, loud, static_cast<uint64_t>(c.id));
}

}  // namespace cues
