// PlaySound of WAVE resources through SDL2 audio: asynchronous, one voice, resampled to the device.
#include <SDL2/SDL.h>

#include <cstring>
#include <map>
#include <vector>

#include "platform/Resources.h"
#include "platform/System.h"

namespace plat {

namespace {

struct SoundState {
    bool tried = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec spec{};
    std::map<std::uint16_t, std::vector<std::uint8_t>> converted;  // in the device's format
    const std::vector<std::uint8_t>* playing = nullptr;            // guarded by the device lock
    std::size_t position = 0;
};

SoundState& Snd() {
    static SoundState s;  // the back-end's sound state
    return s;
}

// The device's thread: copy the one voice, silence after it.
void Mix(void*, Uint8* stream, int len) {
    SoundState& s = Snd();
    std::memset(stream, s.spec.silence, static_cast<std::size_t>(len));
    if (!s.playing) return;
    const std::size_t left = s.playing->size() - s.position;
    const std::size_t n = left < static_cast<std::size_t>(len) ? left : static_cast<std::size_t>(len);
    std::memcpy(stream, s.playing->data() + s.position, n);
    s.position += n;
    if (s.position >= s.playing->size()) s.playing = nullptr;
}

bool OpenDevice() {
    SoundState& s = Snd();
    if (s.tried) return s.device != 0;
    s.tried = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = Mix;
    s.device = SDL_OpenAudioDevice(nullptr, 0, &want, &s.spec, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (!s.device) return false;  // no sound card: the scene runs on in silence
    SDL_PauseAudioDevice(s.device, 0);
    return true;
}

// A WAVE resource in the device's format, converted once and kept for the process.
const std::vector<std::uint8_t>* Converted(std::uint16_t id) {
    SoundState& s = Snd();
    auto it = s.converted.find(id);
    if (it != s.converted.end()) return &it->second;
    ResData res = FindResource(kRtWave, id);
    if (!res.data || res.size == 0 || res.size > 64u * 1024u * 1024u) return nullptr;
    SDL_RWops* rw = SDL_RWFromConstMem(res.data, static_cast<int>(res.size));
    if (!rw) return nullptr;
    SDL_AudioSpec wav{};
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &wav, &buf, &len)) return nullptr;
    SDL_AudioCVT cvt;
    std::vector<std::uint8_t> out;
    if (SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, s.spec.format, s.spec.channels, s.spec.freq) >= 0) {
        std::vector<std::uint8_t> work(static_cast<std::size_t>(len) * static_cast<std::size_t>(cvt.len_mult));
        std::memcpy(work.data(), buf, len);
        cvt.buf = work.data();
        cvt.len = static_cast<int>(len);
        if (cvt.needed == 0 || SDL_ConvertAudio(&cvt) == 0) {
            const std::size_t outLen = cvt.needed ? static_cast<std::size_t>(cvt.len_cvt) : len;
            out.assign(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(outLen));
        }
    }
    SDL_FreeWAV(buf);
    if (out.empty()) return nullptr;
    return &s.converted.emplace(id, std::move(out)).first->second;
}

}  // namespace

void PlaySoundResource(std::uint16_t id) {
    if (!OpenDevice()) return;
    const std::vector<std::uint8_t>* pcm = Converted(id);
    SoundState& s = Snd();
    SDL_LockAudioDevice(s.device);
    s.playing = pcm;  // a new cue cuts off the one playing; an unknown one just stops it
    s.position = 0;
    SDL_UnlockAudioDevice(s.device);
}

}  // namespace plat
