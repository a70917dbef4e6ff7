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
double Ar(double t, double a, double r, double len) {
    if (t < 0 || t > len) return 0.0;
    double up = t < a ? std::sin(0.5 * kPi * t / a) : 1.0;
    double down = t > len - r ? std::sin(0.5 * kPi * (len - t) / r) : 1.0;
    return up * down;
}

// A faint stir of air in the chamber so that no cue falls to digital silence.
Buffer RoomTone(double fs, size_t n, uint64_t seed, double level) {
    Rng rng(seed);
    Buffer b = synth::WhiteNoise(n, rng);
    synth::Filter(b, synth::Biquad::LowPass(fs, 220.0, 0.707));
    synth::Filter(b, synth::Biquad::LowPass(fs, 220.0, 0.707));
    for (double& x : b) x *= level;
    return b;
}

Buffer Hinge(double fs, double len, double rateLo, double rateHi, bool rising, uint64_t seed) {
    auto rate = [=](double t) {
        double u = t / len;
        double shape = rising ? std::sin(kPi * std::min(1.0, u * 1.2)) : 1.0 - u;
        return rateLo + (rateHi - rateLo) * shape +
               12.0 * (noise::Value(t * 9.0, 1.5, static_cast<uint32_t>(seed)) - 0.5);
    };
    auto amp = [=](double t) { return Ar(t, 0.08, 0.25, len) * (0.7 + 0.3 * noise::Value(t * 6.0, 2.5, 7)); };
    Buffer squeal = synth::Creak(fs, len, rate, amp, {520, 1110, 1790, 2650}, seed);
    Buffer groan = synth::Creak(
        fs, len, [=](double t) { return rate(t) * 0.45; }, amp, {160, 310, 690}, seed + 1);
    Buffer out(squeal.size());
    for (size_t i = 0; i < out.size(); ++i) out[i] = squeal[i] * 0.6 + groan[i] * 0.8;
    return out;
}

// A heavy oak leaf struck: the planks' own modes between 150 and 800 Hz, a dry knock, and a
// short boom of the frame under them (kept low in level: small speakers do not play it).
Buffer Thump(double fs, double scale, uint64_t seed) {
    Rng rng(seed);
    std::vector<double> f, d, l;
    const double modes[] = {168, 231, 297, 384, 471, 583, 706, 792};
    for (int i = 0; i < 8; ++i) {
        f.push_back(modes[i] * scale * rng.Range(0.96, 1.04));
        d.push_back(rng.Range(0.05, 0.13) / (1.0 + 0.15 * i));
        l.push_back(rng.Range(0.6, 1.0) / (1.0 + 0.2 * i));
    }
    Buffer body = synth::Modal(fs, 0.8, f, d, l);
    Buffer boom = synth::Modal(fs, 0.6, {78 * scale, 118 * scale}, {0.11, 0.08}, {0.35, 0.25});
    Mix(body, boom, 0.0, fs, 1.0);
    Buffer knock = synth::Burst(fs, 0.12, 0.012, 180, 2400, seed + 1);
    Mix(body, knock, 0.0, fs, 2.2);
    return body;
}

// Repeats of a sound coming back down a passage: each later, duller and quieter.
Buffer Echoes(const Buffer& dry, double fs, double delay, double feedback, int count, double lowHz) {
    Buffer out = dry, tap = dry;
    for (int k = 1; k <= count; ++k) {
        synth::Filter(tap, synth::Biquad::LowPass(fs, lowHz / k, 0.707));
        Mix(out, tap, delay * k, fs, std::pow(feedback, k));
    }
    return out;
}

Buffer IronRing(double fs, double len, double base, double decay, uint64_t seed) {
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
             double attack = 0.12, double release = 0.3, double brightness = 0.8, double tilt = 1.0, double rough = 0.0,
             double rasp = 0.0) {
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
    s.rough = rough;
    s.rasp = rasp;
    if (rasp > 0.0) s.top = 9000.0;
    return synth::Voice(fs, len, s);
}

Buffer Groans(double fs, size_t n) {
    Buffer b(n, 0.0);
    const double starts[] = {0.2, 1.85, 3.45}, lens[] = {1.45, 1.3, 1.5}, pitches[] = {108, 96, 117};
    const double falls[] = {0.18, 0.3, 0.1}, gains[] = {1.0, 0.85, 1.1};
    const char from[] = {'o', 'a', 'e'};
    for (int i = 0; i < 3; ++i) {
        double p = pitches[i], fall = falls[i], len = lens[i];
        Buffer g = Utter(
            fs, len, [=](double t) { return p * (1.05 - fall * t / len) * (1 + 0.012 * std::sin(t * (27 + 6 * i))); },
            from[i], 'u', 0.25, 0.95 + 0.04 * i, 50 + i, 0.2, 0.5, 0.75, 0.8, 0.25);
        Mix(b, g, starts[i], fs, gains[i]);
        // A ragged breath in between.
        Buffer br = synth::Burst(fs, 0.45, 0.2, 500, 1800, 60 + i);
        synth::Envelope(br, fs, [](double t) { return Ar(t, 0.2, 0.2, 0.45); });
        Mix(b, br, starts[i] + lens[i] + 0.05, fs, 0.12);
    }
    return synth::Reverb(b, fs, 1.4, 0.3, 1.0);
}

Buffer DistantScreams(double fs, size_t n) {
    Buffer b(n, 0.0);
    const double starts[] = {0.3, 2.75}, lens[] = {1.9, 1.6}, peaks[] = {980, 860};
    for (int i = 0; i < 2; ++i) {
        double len = lens[i], top = peaks[i];
        Buffer s = Utter(
            fs, len,
            [=](double t) {
                double u = std::min(1.0, t / len);
                double contour = 560 + (top - 560) * std::sin(kPi * std::min(1.0, u * 1.4)) - 160 * u * u;
                return contour * (1 + 0.035 * std::sin(2 * kPi * (5.2 + i) * t));
            },
            'a', i ? 'e' : 'a', 0.22, 1.2, 70 + i, 0.08, 0.5, 1.3, 0.55, 0.55, 0.35);
        Mix(b, s, starts[i], fs, i ? 0.8 : 1.0);
    }
    // Far away down a stone passage: a thin top, then the passage sends it back twice.
    synth::Filter(b, synth::Biquad::HighPass(fs, 260, 0.707));
    b = Echoes(b, fs, 0.33, 0.45, 3, 6000);
    return synth::Reverb(b, fs, 2.0, 0.55, 1.5);
}

Buffer Chains(double fs, size_t n) {
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

Buffer Sobbing(double fs, size_t n) {
    Buffer b(n, 0.0);
    Rng rng(764);
    double t = 0.2;
    for (int group = 0; group < 3; ++group) {
        int sobs = 3 + group % 2;
        for (int k = 0; k < sobs; ++k) {
            double len = rng.Range(0.13, 0.22), p = rng.Range(300, 360);
            Buffer s = Utter(
                fs, len, [=](double x) { return p * (1.0 + 0.25 * std::sin(kPi * x / len)); }, 'u', 'a', 0.5, 1.15,
                rng.Next(), 0.03, 0.07, 0.6);
            Mix(b, s, t, fs, 0.9);
            t += len + rng.Range(0.05, 0.1);
        }
        // The gasp for breath after each fit.
        Buffer gasp = synth::Burst(fs, 0.4, 1.0, 1200, 3200, rng.Next());
        synth::Envelope(gasp, fs, [](double x) { return Ar(x, 0.3, 0.08, 0.4); });
        Mix(b, gasp, t + 0.05, fs, 0.22);
        t += 0.45 + rng.Range(0.0, 0.2);
    }
    return synth::Reverb(b, fs, 0.9, 0.25, 0.8);
}

Buffer Whipping(double fs, size_t n) {
    Buffer b(n, 0.0);
    // Each lash differs: how long the swing, how hard the crack, how the man cries out.
    const double lashes[] = {0.3, 1.65, 2.95}, swings[] = {0.28, 0.22, 0.33}, cracks[] = {2.2, 2.8, 1.8};
    const double cryLen[] = {0.75, 0.95, 0.6}, cryLow[] = {230, 270, 200}, cryRise[] = {140, 220, 90};
    const char cryFrom[] = {'a', 'e', 'o'}, cryTo[] = {'o', 'a', 'u'};
    for (int i = 0; i < 3; ++i) {
        double at = lashes[i], sw = swings[i];
        // Swish: noise swept upwards as the lash comes round.
        Rng rng(765 + i);
        Buffer swish = synth::WhiteNoise(static_cast<size_t>(sw * fs), rng);
        synth::Biquad bp = synth::Biquad::BandPass(fs, 400 + 100 * i, 2.0);
        for (size_t k = 0; k < swish.size(); ++k) {
            double x = k / fs;
            if (k % 32 == 0) bp.Retune(synth::Biquad::BandPass(fs, 400 + 100 * i + (2600 + 500 * i) * (x / sw), 2.0));
            swish[k] = bp.Process(swish[k]) * (x / sw) * (x / sw);
        }
        Mix(b, swish, at, fs, 0.5);
        Buffer crack = synth::Burst(fs, 0.08, 0.004 + 0.001 * i, 900 + 300 * i, 8000, 780 + i);
        Mix(b, crack, at + sw, fs, cracks[i]);
        double len = cryLen[i], low = cryLow[i], rise = cryRise[i];
        Buffer cry = Utter(
            fs, len, [=](double x) { return low + rise * std::sin(kPi * std::min(1.0, x / (len * 0.65))) - 60 * x; },
            cryFrom[i], cryTo[i], 0.3, 1.0 + 0.05 * i, 790 + i, 0.04, 0.3, 0.9, 0.8, 0.3, 0.12);
        Mix(b, cry, at + sw + 0.1, fs, 0.8 + 0.15 * i);
    }
    return synth::Reverb(b, fs, 1.2, 0.3, 1.0);
}

Buffer MadLaugh(double fs, size_t n) {
    Buffer b(n, 0.0);
    Rng rng(766);
    double t = 0.06;
    // A burst of "ha"s that climbs and speeds up, a wheeze, then giggles that die away: every
    // syllable its own length, pitch, vowel and strength, the gaps never even.
    const char vowels[] = {'a', 'a', 'e', 'a', 'o', 'a', 'e', 'a', 'a', 'e'};
    for (int k = 0; k < 10; ++k) {
        double len = rng.Range(0.08, 0.14) - 0.003 * k, p = 250 + 14.0 * k + rng.Range(-25, 25);
        double bend = rng.Range(0.05, 0.25);
        Buffer h = synth::Burst(fs, 0.05, 0.03, 800, 3500, rng.Next());
        Mix(b, h, t, fs, rng.Range(0.08, 0.16));
        Buffer ha = Utter(
            fs, len, [=](double x) { return p * (1.0 + bend * (1.0 - x / len)); }, vowels[k], 'a', 0.2,
            rng.Range(0.97, 1.08), rng.Next(), 0.012, 0.045, 1.0, 0.8, 0.3);
        Mix(b, ha, t + 0.03, fs, rng.Range(0.75, 1.05));
        t += len + rng.Range(0.035, 0.09);
    }
    Buffer wheeze = synth::Burst(fs, 0.3, 1.0, 900, 3000, 7661);
    synth::Envelope(wheeze, fs, [](double x) { return Ar(x, 0.22, 0.05, 0.3); });
    Mix(b, wheeze, t, fs, 0.25);
    t += 0.33;
    for (int k = 0; k < 4; ++k) {
        double len = rng.Range(0.08, 0.12), p = rng.Range(400, 470);
        Buffer hee = Utter(
            fs, len, [=](double x) { return p - 150 * x; }, 'i', 'e', 0.25, 1.05, 7670 + k, 0.01, 0.04, 1.0, 0.8, 0.3);
        Mix(b, hee, t, fs, 0.85 - 0.17 * k);
        t += rng.Range(0.13, 0.19);
    }
    // He trails off: everything after the giggles start fades, so a cut never falls on a loud "ha".
    synth::Envelope(b, fs, [](double x) { return x < 1.5 ? 1.0 : std::max(0.0, 1.0 - (x - 1.5) / 1.0); });
    return synth::Reverb(b, fs, 1.0, 0.3, 0.9);
}

Buffer PitWail(double fs, size_t n) {
    Buffer b(n, 0.0);
    Buffer w = Utter(
        fs, 3.7,
        [](double t) { return (220 + 120 * std::sin(kPi * t / 3.7) - 30 * t / 3.7) * (1 + 0.02 * std::sin(t * 33)); },
        'u', 'a', 0.25, 1.05, 767, 0.5, 0.9, 0.8, 0.9, 0.2);
    Mix(b, w, 0.2, fs, 1.0);
    Buffer low = Utter(
        fs, 2.2, [](double t) { return 120 - 10 * t; }, 'o', 'u', 0.3, 0.95, 7671, 0.4, 0.8, 0.7);
    Mix(b, low, 2.1, fs, 0.5);
    synth::Filter(b, synth::Biquad::LowPass(fs, 3000, 0.707));
    return synth::Reverb(b, fs, 2.2, 0.6, 1.6);
}

Buffer GroanChorus(double fs, size_t n) {
    Buffer b(n, 0.0);
    const double pitches[] = {98, 118, 137, 156}, starts[] = {0.15, 0.6, 1.3, 1.9}, lens[] = {4.0, 3.6, 3.0, 2.5};
    const char vowels[] = {'o', 'u', 'a', 'o'};
    for (int i = 0; i < 4; ++i) {
        double p = pitches[i], len = lens[i];
        Buffer v = Utter(
            fs, len, [=](double t) { return p * (1.0 - 0.1 * t / len) * (1 + 0.015 * std::sin(t * (20 + i * 3))); },
            vowels[i], 'u', 0.3, 0.95 + 0.05 * i, 768 + i, 0.5, 0.9, 0.75, 0.9, 0.2);
        Mix(b, v, starts[i], fs, 0.7);
    }
    synth::Filter(b, synth::Biquad::LowPass(fs, 3000, 0.707));
    return synth::Reverb(b, fs, 1.9, 0.55, 1.4);
}

Buffer Shriek(double fs, size_t n) {
    Buffer b(n, 0.0);
    const double len = 1.95;
    Buffer s = Utter(
        fs, len,
        [=](double t) {
            double rise = std::min(1.0, t / 0.18);
            double p = 480 + 470 * rise - 480 * std::pow(t / len, 1.6);
            return p * (1 + 0.025 * std::sin(2 * kPi * 6.2 * t));
        },
        'a', 'e', 0.18, 1.2, 769, 0.04, 0.5, 1.3, 0.55, 0.6, 0.4);
    Mix(b, s, 0.04, fs, 1.0);
    b = Echoes(b, fs, 0.21, 0.3, 2, 7000);
    return synth::Reverb(b, fs, 1.3, 0.35, 1.0);
}

Buffer Bolt(double fs, size_t n) {
    Buffer b(n, 0.0);
    Mix(b, Thump(fs, 1.0, 774), 0.01, fs, 1.0);
    // The bolt jumps in its staple: two quick clanks of a small iron bar.
    Mix(b, IronRing(fs, 0.35, 640, 0.09, 7741), 0.015, fs, 0.55);
    Mix(b, IronRing(fs, 0.25, 700, 0.06, 7743), 0.085, fs, 0.3);
    Mix(b, Thump(fs, 1.15, 7742), 0.14, fs, 0.35);  // the bounce against its stop
    return synth::Reverb(b, fs, 1.1, 0.3, 1.0);
}

Buffer Slam(double fs, size_t n) {
    Buffer b(n, 0.0);
    Mix(b, Thump(fs, 0.9, 869), 0.01, fs, 1.2);
    Mix(b, synth::Burst(fs, 0.08, 0.008, 700, 6000, 8691), 0.01, fs, 0.7);
    const double rattles[] = {0.07, 0.12, 0.2, 0.26};
    for (int i = 0; i < 4; ++i)
        Mix(b, IronRing(fs, 0.3, 560 + 150 * i, 0.05, 8692 + i), rattles[i], fs, 0.35 - 0.05 * i);
    return synth::Reverb(b, fs, 1.6, 0.45, 1.3);
}

Buffer Drips(double fs, size_t n) {
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

Buffer WailAndWhispers(double fs, size_t n) {
    Buffer b(n, 0.0);
    Buffer wail = Utter(
        fs, 2.9, [](double t) { return (340 - 70 * t / 2.9) * (1 + 0.03 * std::sin(2 * kPi * 4.5 * t)); }, 'u', 'o',
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

Buffer Creaking(const CueInfo& c, double fs, size_t n) {
    Buffer b(n, 0.0);
    if (c.id == 871) Mix(b, Hinge(fs, 1.2, 25, 85, true, 871), 0.03, fs, 1.0);
    else Mix(b, Hinge(fs, 0.75, 20, 75, false, 775), 0.02, fs, 1.0);
    return synth::Reverb(b, fs, 0.9, 0.25, 1.0);
}

}  // namespace

const std::vector<CueInfo>& Table() { return kTable; }

std::vector<int16_t> Render(const CueInfo& c) {
    const double fs = c.rate;
    const size_t n = static_cast<size_t>(std::llround(c.seconds * fs));
    // Integrated loudness: the doors and cells all alike, the vault's own sounds further back.
    Buffer b;
    double loud = -20.0;
    switch (c.id) {
        case 761: b = Groans(fs, n); break;
        case 762: b = DistantScreams(fs, n); break;
        case 763: b = Chains(fs, n); break;
        case 764: b = Sobbing(fs, n); break;
        case 765: b = Whipping(fs, n); break;
        case 766: b = MadLaugh(fs, n); break;
        case 767: b = PitWail(fs, n); break;
        case 768: b = GroanChorus(fs, n); break;
        case 769: b = Shriek(fs, n); break;
        case 774: b = Bolt(fs, n); break;
        case 869: b = Slam(fs, n); break;
        case 860:
            b = Drips(fs, n);
            loud = -25.5;
            break;
        case 864:
            b = WailAndWhispers(fs, n);
            loud = -25.5;
            break;
        default: b = Creaking(c, fs, n); break;  // 871, 775
    }
    b.resize(n, 0.0);
    return synth::Finish(b, fs, loud, static_cast<uint64_t>(c.id));
}

}  // namespace cues
