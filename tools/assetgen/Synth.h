// Sound synthesis building blocks: filters, formant voices, struck metal, friction, room echo.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "Noise.h"

namespace synth {

using Buffer = std::vector<double>;
using Curve = std::function<double(double)>;  // a value over time in seconds

// Second-order filter section (RBJ cookbook), direct form I.
class Biquad {
public:
    static Biquad LowPass(double fs, double f, double q);
    static Biquad HighPass(double fs, double f, double q);
    static Biquad BandPass(double fs, double f, double q);  // 0 dB at the centre
    // The two stages of the K-weighting of integrated loudness: a +4 dB shelf above ~1.7 kHz
    // (head effects) and a high-pass near 38 Hz.
    static Biquad KShelf(double fs);
    static Biquad KHighPass(double fs);
    double Process(double x);
    // Takes another section's coefficients and keeps this one's state, for gliding filters.
    void Retune(const Biquad& c);

private:
    double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

// A vowel as its first three formants (Hz).
struct Vowel {
    double f1, f2, f3;
};
Vowel VowelOf(char v);  // 'a', 'e', 'i', 'o', 'u'
Vowel Blend(Vowel a, Vowel b, double t);

// Voiced sound: harmonics of pitch(t) shaped by the formants of vowel(t), loudness amp(t),
// with `breath` parts of noise through the same formants. `shift` scales the formants.
struct VoiceSpec {
    Curve pitch, amp;
    std::function<Vowel(double)> vowel;
    double breath = 0.15, shift = 1.0, brightness = 1.0, jitter = 0.01;
    double tilt = 1.0;    // harmonic k has strength 1 / k^tilt before the formants: about 1 for a voice
    double rough = 0.0;   // 0..1: irregular fast flutter of the folds (a strained, rasping voice)
    double rasp = 0.0;    // hiss of a strained throat in the 3-6 kHz band, relative to the voice
    double top = 6000.0;  // highest harmonic, Hz
    uint64_t seed = 1;
};
Buffer Voice(double fs, double seconds, const VoiceSpec& spec);

Buffer Silence(double fs, double seconds);
Buffer WhiteNoise(size_t n, Rng& rng);
// Struck resonator: decaying sines at the given frequencies, decay times (s) and levels.
Buffer Modal(double fs, double seconds, const std::vector<double>& freqs, const std::vector<double>& decays,
             const std::vector<double>& levels);
// Stick-slip friction: an irregular train of pulses at rate(t) ringing resonances (a creak).
Buffer Creak(double fs, double seconds, const Curve& rate, const Curve& amp, const std::vector<double>& resonances,
             uint64_t seed);
// Filtered noise burst with an exponential decay.
Buffer Burst(double fs, double seconds, double decay, double lowHz, double highHz, uint64_t seed);

// Brings the last `seconds` of a piece down to zero so that it never stops with a click.
void FadeTail(Buffer& b, double fs, double seconds);
void Mix(Buffer& dst, const Buffer& src, double atSeconds, double fs, double gain);
void Filter(Buffer& b, Biquad f);
void Envelope(Buffer& b, double fs, const Curve& gain);
// Room echo of the chamber: parallel damped combs and all-passes; returns wet plus dry.
Buffer Reverb(const Buffer& dry, double fs, double t60, double wet, double size);
// Integrated loudness in LUFS of a mono signal (full scale 1.0): K-weighted, 400 ms blocks every
// 100 ms, absolute gate at -70 LUFS and relative gate 10 LU under the mean. -200 for silence.
double Loudness(const Buffer& b, double fs);
// Removes DC, sets loudness (integrated loudness near `lufs`, peak under -1.5 dBFS with a soft
// knee), fades the ends and converts to 16-bit samples with a little deterministic dither.
std::vector<int16_t> Finish(Buffer b, double fs, double lufs, uint64_t seed);

}  // namespace synth
