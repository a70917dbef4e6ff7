// Sound synthesis building blocks: filters, formant voices, struck metal, friction, room echo.
#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace synth {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Height of the formant envelope at frequency f.
double FormantGain(double f, const Vowel& v, double brightness) {
    // The fourth formant sits near 3.5 kHz whatever the vowel: the edge of a strained voice.
    const double centres[4] = {v.f1, v.f2, v.f3, 3500.0 * v.f3 / 2440.0}, widths[4] = {80, 110, 160, 260};
    const double levels[4] = {1.0, 0.55, 0.3, 0.12};
    double g = 0.015;
    for (int i = 0; i < 4; ++i) {
        double x = (f - centres[i]) / widths[i];
        g += levels[i] * (i == 0 ? 1.0 : brightness) / (1.0 + x * x);
    }
    return g;
}

}  // namespace

void FadeTail(Buffer& b, double fs, double seconds) {
    size_t n = std::min(b.size(), static_cast<size_t>(seconds * fs));
    for (size_t k = 0; k < n; ++k) b[b.size() - 1 - k] *= 0.5 - 0.5 * std::cos(kPi * k / std::max<size_t>(1, n));
}

Biquad Biquad::LowPass(double fs, double f, double q) {
    double w = 2 * kPi * f / fs, c = std::cos(w), a = std::sin(w) / (2 * q);
    Biquad b;
    double a0 = 1 + a;
    b.m_b0 = (1 - c) / 2 / a0;
    b.m_b1 = (1 - c) / a0;
    b.m_b2 = (1 - c) / 2 / a0;
    b.m_a1 = -2 * c / a0;
    b.m_a2 = (1 - a) / a0;
    return b;
}

Biquad Biquad::HighPass(double fs, double f, double q) {
    double w = 2 * kPi * f / fs, c = std::cos(w), a = std::sin(w) / (2 * q);
    Biquad b;
    double a0 = 1 + a;
    b.m_b0 = (1 + c) / 2 / a0;
    b.m_b1 = -(1 + c) / a0;
    b.m_b2 = (1 + c) / 2 / a0;
    b.m_a1 = -2 * c / a0;
    b.m_a2 = (1 - a) / a0;
    return b;
}

Biquad Biquad::BandPass(double fs, double f, double q) {
    double w = 2 * kPi * f / fs, c = std::cos(w), a = std::sin(w) / (2 * q);
    Biquad b;
    double a0 = 1 + a;
    b.m_b0 = a / a0;
    b.m_b1 = 0;
    b.m_b2 = -a / a0;
    b.m_a1 = -2 * c / a0;
    b.m_a2 = (1 - a) / a0;
    return b;
}

Biquad Biquad::KShelf(double fs) {
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    double k = std::tan(kPi * f0 / fs), vh = std::pow(10.0, gainDb / 20.0), vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    Biquad b;
    b.m_b0 = (vh + vb * k / q + k * k) / a0;
    b.m_b1 = 2.0 * (k * k - vh) / a0;
    b.m_b2 = (vh - vb * k / q + k * k) / a0;
    b.m_a1 = 2.0 * (k * k - 1.0) / a0;
    b.m_a2 = (1.0 - k / q + k * k) / a0;
    return b;
}

Biquad Biquad::KHighPass(double fs) {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    double k = std::tan(kPi * f0 / fs), a0 = 1.0 + k / q + k * k;
    Biquad b;
    b.m_b0 = 1.0;
    b.m_b1 = -2.0;
    b.m_b2 = 1.0;
    b.m_a1 = 2.0 * (k * k - 1.0) / a0;
    b.m_a2 = (1.0 - k / q + k * k) / a0;
    return b;
}

void Biquad::Retune(const Biquad& c) {
    m_b0 = c.m_b0;
    m_b1 = c.m_b1;
    m_b2 = c.m_b2;
    m_a1 = c.m_a1;
    m_a2 = c.m_a2;
}

double Biquad::Process(double x) {
    double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
    m_x2 = m_x1;
    m_x1 = x;
    m_y2 = m_y1;
    m_y1 = y;
    return y;
}

Vowel VowelOf(char v) {
    switch (v) {
        case 'a': return {730, 1090, 2440};
        case 'e': return {530, 1840, 2480};
        case 'i': return {300, 2250, 3000};
        case 'o': return {570, 840, 2410};
        default: return {320, 870, 2240};  // 'u'
    }
}

Vowel Blend(Vowel a, Vowel b, double t) {
    return {a.f1 + (b.f1 - a.f1) * t, a.f2 + (b.f2 - a.f2) * t, a.f3 + (b.f3 - a.f3) * t};
}

Buffer Voice(double fs, double seconds, const VoiceSpec& spec) {
    size_t n = static_cast<size_t>(seconds * fs);
    Buffer out(n, 0.0);
    Rng rng(spec.seed);
    const double top = std::min(fs * 0.45, spec.top);
    const int maxH = 160;
    std::vector<double> gains(maxH + 1, 0.0);
    double phase = 0.0;
    long cycle = 0;
    // Breath: noise through three band-passes that follow the formants, updated per block.
    Biquad bp[3];
    Biquad soften = Biquad::LowPass(fs, 3200.0, 0.707);
    Biquad hiss[2] = {Biquad::BandPass(fs, std::min(fs * 0.4, 4200.0), 1.2), Biquad::HighPass(fs, 2600.0, 0.707)};
    Vowel v = spec.vowel(0.0);
    double amp = 0.0, f0 = 100.0;
    const size_t block = 64;
    for (size_t i = 0; i < n; ++i) {
        double t = i / fs;
        if (i % block == 0) {
            v = spec.vowel(t);
            Vowel s = {v.f1 * spec.shift, v.f2 * spec.shift, v.f3 * spec.shift};
            amp = spec.amp(t);
            f0 = spec.pitch(t) *
                 (1.0 + spec.jitter * (noise::Value(t * 30.0, 0.5, static_cast<uint32_t>(spec.seed)) - 0.5) * 2.0);
            for (int k = 1; k <= maxH; ++k) {
                double f = k * f0;
                gains[static_cast<size_t>(k)] =
                    f < top ? FormantGain(f, s, spec.brightness) / std::pow(k, spec.tilt) : 0.0;
            }
            double fs3[3] = {s.f1, s.f2, s.f3};
            for (int j = 0; j < 3; ++j) bp[j].Retune(Biquad::BandPass(fs, fs3[j], 6.0));
        }
        phase += f0 / fs;
        if (phase >= 1.0) ++cycle;
        phase -= std::floor(phase);
        double sum = 0.0;
        for (int k = 1; k <= maxH; ++k) {
            double g = gains[static_cast<size_t>(k)];
            if (g == 0.0) break;
            sum += g * std::sin(2 * kPi * k * phase);
        }
        double nz = rng.Uniform() * 2.0 - 1.0;
        double breath = 0.0;
        for (int j = 0; j < 3; ++j) breath += bp[j].Process(nz) * (j == 0 ? 1.0 : 0.6);
        // Loudness follows its curve sample by sample: stepping it per block would buzz.
        amp = spec.amp(t);
        if (spec.rough > 0.0) {
            // Cycle-to-cycle flutter: the folds beat irregularly, which the ear hears as roughness.
            double flutter = noise::Value(t * 160.0, 4.5, static_cast<uint32_t>(spec.seed) + 3) - 0.5;
            // Every other cycle a little weaker: a subharmonic under the pitch.
            sum *= 1.0 + spec.rough * 1.6 * flutter + spec.rough * ((cycle & 1) ? 0.3 : -0.3);
        }
        double rasp = 0.0;
        if (spec.rasp > 0.0) rasp = hiss[1].Process(hiss[0].Process(nz)) * spec.rasp * (0.6 + 0.8 * std::fabs(sum));
        out[i] = amp * (sum * (1.0 - spec.breath) + soften.Process(breath) * spec.breath * 3.5 + rasp);
    }
    return out;
}

Buffer Silence(double fs, double seconds) { return Buffer(static_cast<size_t>(std::llround(seconds * fs)), 0.0); }

Buffer WhiteNoise(size_t n, Rng& rng) {
    Buffer b(n);
    for (double& x : b) x = rng.Uniform() * 2.0 - 1.0;
    return b;
}

Buffer Modal(double fs, double seconds, const std::vector<double>& freqs, const std::vector<double>& decays,
             const std::vector<double>& levels) {
    Buffer b(static_cast<size_t>(seconds * fs), 0.0);
    for (size_t m = 0; m < freqs.size(); ++m) {
        if (freqs[m] >= fs * 0.48) continue;
        double w = 2 * kPi * freqs[m] / fs, k = std::exp(-1.0 / (decays[m] * fs));
        // Recursive oscillator: y[n] = 2 r cos w y[n-1] - r^2 y[n-2].
        double c = 2 * k * std::cos(w), y1 = 0.0, y2 = 0.0;
        for (size_t i = 0; i < b.size(); ++i) {
            double x = (i == 0) ? levels[m] * std::sin(w) : 0.0;
            double y = c * y1 - k * k * y2 + x;
            y2 = y1;
            y1 = y;
            b[i] += y;
        }
    }
    FadeTail(b, fs, 0.02);
    return b;
}

Buffer Creak(double fs, double seconds, const Curve& rate, const Curve& amp, const std::vector<double>& resonances,
             uint64_t seed) {
    size_t n = static_cast<size_t>(seconds * fs);
    Buffer pulses(n, 0.0);
    Rng rng(seed);
    double next = 0.0;
    const size_t click = static_cast<size_t>(0.0015 * fs);
    while (next < seconds) {
        size_t i = static_cast<size_t>(next * fs);
        if (i >= n) break;
        // Each slip is a tiny rough click rather than a bare impulse, so the creak is grainy, not buzzing.
        double a = amp(next) * (0.5 + 0.5 * rng.Uniform());
        for (size_t k = 0; k < click && i + k < n; ++k)
            pulses[i + k] += a * (rng.Uniform() * 2.0 - 1.0) * std::exp(-static_cast<double>(k) / (click * 0.3));
        // Slips come in irregular runs as the strain builds and lets go.
        double surge = 0.55 + 0.9 * noise::Value(next * 7.0, 3.5, static_cast<uint32_t>(seed));
        double r = std::max(5.0, rate(next) * surge);
        next += (1.0 / r) * (0.7 + 0.6 * rng.Uniform());
    }
    Buffer out(n, 0.0);
    for (size_t k = 0; k < resonances.size(); ++k) {
        const double q = 9.0 + 3.0 * k;
        Biquad f = Biquad::BandPass(fs, resonances[k], q), g = f;
        double level = 1.0 / (1.0 + k * 0.8);
        for (size_t i = 0; i < n; ++i) {
            if (i % 64 == 0) {
                // The timber's resonances shift as the load on the hinge changes.
                double drift =
                    1.0 + 0.12 * (noise::Value(i / fs * 2.5, k + 0.5, static_cast<uint32_t>(seed) + 9) - 0.5);
                Biquad c = Biquad::BandPass(fs, resonances[k] * drift, q);
                f.Retune(c);
                g.Retune(c);
            }
            out[i] += g.Process(f.Process(pulses[i])) * level * 5.0;
        }
    }
    FadeTail(out, fs, 0.02);
    return out;
}

Buffer Burst(double fs, double seconds, double decay, double lowHz, double highHz, uint64_t seed) {
    Rng rng(seed);
    Buffer b = WhiteNoise(static_cast<size_t>(seconds * fs), rng);
    Filter(b, Biquad::HighPass(fs, lowHz, 0.707));
    Filter(b, Biquad::LowPass(fs, highHz, 0.707));
    Filter(b, Biquad::LowPass(fs, highHz * 1.3, 0.707));
    for (size_t i = 0; i < b.size(); ++i) b[i] *= std::exp(-(i / fs) / decay);
    FadeTail(b, fs, 0.01);
    return b;
}

void Mix(Buffer& dst, const Buffer& src, double atSeconds, double fs, double gain) {
    size_t off = static_cast<size_t>(std::max(0.0, atSeconds) * fs);
    for (size_t i = 0; i < src.size() && off + i < dst.size(); ++i) dst[off + i] += src[i] * gain;
}

void Filter(Buffer& b, Biquad f) {
    for (double& x : b) x = f.Process(x);
}

void Envelope(Buffer& b, double fs, const Curve& gain) {
    for (size_t i = 0; i < b.size(); ++i) b[i] *= gain(i / fs);
}

Buffer Reverb(const Buffer& dry, double fs, double t60, double wet, double size) {
    const double combMs[4] = {29.7, 37.1, 41.1, 43.7}, apMs[2] = {5.0, 1.7};
    Buffer sum(dry.size(), 0.0);
    for (double ms : combMs) {
        size_t d = static_cast<size_t>(ms * size * fs / 1000.0);
        double g = std::pow(10.0, -3.0 * (ms * size / 1000.0) / t60);
        Buffer line(d, 0.0);
        double lp = 0.0;
        size_t pos = 0;
        for (size_t i = 0; i < dry.size(); ++i) {
            double out = line[pos];
            lp = out * 0.6 + lp * 0.4;  // walls swallow the highs
            line[pos] = dry[i] + lp * g;
            pos = (pos + 1) % d;
            sum[i] += out * 0.25;
        }
    }
    for (double ms : apMs) {
        size_t d = static_cast<size_t>(ms * fs / 1000.0);
        Buffer line(d, 0.0);
        size_t pos = 0;
        for (double& x : sum) {
            double buf = line[pos];
            double y = -0.7 * x + buf;
            line[pos] = x + 0.7 * y;
            pos = (pos + 1) % d;
            x = y;
        }
    }
    Buffer out(dry.size());
    for (size_t i = 0; i < dry.size(); ++i) out[i] = dry[i] * (1.0 - wet * 0.5) + sum[i] * wet;
    return out;
}

double Loudness(const Buffer& b, double fs) {
    Buffer k = b;
    Filter(k, Biquad::KShelf(fs));
    Filter(k, Biquad::KHighPass(fs));
    const size_t block = static_cast<size_t>(std::llround(0.4 * fs)),
                 step = static_cast<size_t>(std::llround(0.1 * fs));
    std::vector<double> power;  // mean square of each block
    for (size_t at = 0; at + block <= k.size(); at += step) {
        double s = 0.0;
        for (size_t i = at; i < at + block; ++i) s += k[i] * k[i];
        power.push_back(s / block);
    }
    auto lufs = [](double p) { return p > 0.0 ? -0.691 + 10.0 * std::log10(p) : -200.0; };
    auto gatedMean = [&](double gate) {
        double s = 0.0;
        size_t n = 0;
        for (double p : power)
            if (lufs(p) > gate) {
                s += p;
                ++n;
            }
        return n ? s / n : 0.0;
    };
    double relative = lufs(gatedMean(-70.0)) - 10.0;
    return lufs(gatedMean(std::max(-70.0, relative)));
}

std::vector<int16_t> Finish(Buffer b, double fs, double lufs, uint64_t seed) {
    Filter(b, Biquad::HighPass(fs, 30.0, 0.707));
    const double ceiling = std::pow(10.0, -1.5 / 20.0), knee = 0.5;
    auto limit = [&](double x) {
        double a = std::fabs(x);
        if (a <= knee) return x;
        double y = knee + (ceiling - knee) * std::tanh((a - knee) / (ceiling - knee));
        return x < 0 ? -y : y;
    };
    // Loudness is set by ear (K-weighted and gated), not by RMS: a boom below 100 Hz has
    // plenty of RMS and little loudness. The limiter takes some back, so a few rounds close in.
    double now = Loudness(b, fs);
    if (now < -100.0) {  // all of it under the gate: start from its plain mean square
        double s = 1e-30;
        for (double x : b) s += x * x;
        now = -0.691 + 10.0 * std::log10(s / std::max<size_t>(1, b.size()));
    }
    double gain = std::pow(10.0, (lufs - now) / 20.0);
    Buffer out(b.size());
    for (int round = 0; round < 12; ++round) {
        for (size_t i = 0; i < b.size(); ++i) out[i] = limit(b[i] * gain);
        double miss = lufs - Loudness(out, fs);
        if (std::fabs(miss) < 0.1) break;
        gain *= std::pow(10.0, std::clamp(miss, -3.0, 3.0) / 20.0);
    }
    // The limiter bends peaks of one sign more than the other; take out what that leaves as DC.
    double mean = 0.0;
    for (double x : out) mean += x;
    mean /= std::max<size_t>(1, out.size());
    for (double& x : out) x -= mean;
    // Fades: 10 ms in, 40 ms out, raised cosine, so neither end clicks.
    size_t in = static_cast<size_t>(0.010 * fs), outN = static_cast<size_t>(0.040 * fs);
    Rng rng(seed);
    std::vector<int16_t> pcm(out.size());
    for (size_t i = 0; i < out.size(); ++i) {
        double g = 1.0;
        if (i < in) g = 0.5 - 0.5 * std::cos(kPi * i / in);
        size_t fromEnd = out.size() - 1 - i;
        if (fromEnd < outN) g = std::min(g, 0.5 - 0.5 * std::cos(kPi * fromEnd / outN));
        double dither = (rng.Uniform() - rng.Uniform()) * g;
        double s = std::floor(out[i] * g * 32767.0 + dither + 0.5);
        pcm[i] = static_cast<int16_t>(std::clamp(s, -32767.0, 32767.0));
    }
    return pcm;
}

}  // namespace synth
