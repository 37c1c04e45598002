#include "platform/SoundDevice.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <new>

#include "platform/File.h"
#include "platform/GameFolders.h"

namespace platform {

// A sample keeps its chunk, or none when the device is silent and only the file was checked.
struct SoundSample {
    Mix_Chunk* chunk;
};

namespace {
constexpr int OUTPUT_RATE = 44100;
constexpr int OUTPUT_CHANNELS = 32;
constexpr int OUTPUT_BUFFER = 1024; // about 23 ms: short enough for shots to feel immediate
} // namespace

int SoundDevice::open() {
    if (mixerOpen_) return 0;
    if (!audioStarted_) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 1;
        audioStarted_ = true;
    }
    if (Mix_OpenAudio(OUTPUT_RATE, AUDIO_S16SYS, 2, OUTPUT_BUFFER) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioStarted_ = false;
        return 1;
    }
    Mix_AllocateChannels(OUTPUT_CHANNELS);
    mixerOpen_ = true;
    return 0;
}

SoundSample* SoundDevice::load(const char* path) {
    if (path == nullptr) return nullptr;
    char native[4096];
    findDataFile(path, native, sizeof native);
    Mix_Chunk* chunk = nullptr;
    if (mixerOpen_) {
        chunk = Mix_LoadWAV(native);
        if (chunk == nullptr) return nullptr;
    } else {
        // Silent: still tell a missing or broken file from a good one.
        SDL_AudioSpec format;
        Uint8* data = nullptr;
        Uint32 length = 0;
        if (SDL_LoadWAV(native, &format, &data, &length) == nullptr) return nullptr;
        SDL_FreeWAV(data);
    }
    SoundSample* sample = new (std::nothrow) SoundSample{chunk};
    if (sample == nullptr && chunk != nullptr) Mix_FreeChunk(chunk);
    return sample;
}

void SoundDevice::play(SoundSample* sample) {
    if (!mixerOpen_ || sample == nullptr || sample->chunk == nullptr) return;
    Mix_PlayChannel(-1, sample->chunk, 0); // -1 when all channels are busy: that sound is lost
}

void SoundDevice::release(SoundSample* sample) {
    if (sample == nullptr) return;
    // The mixer stops the channels still playing the chunk before freeing it.
    if (sample->chunk != nullptr) Mix_FreeChunk(sample->chunk);
    delete sample;
}

void SoundDevice::close() {
    if (mixerOpen_) Mix_CloseAudio();
    mixerOpen_ = false;
    if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioStarted_ = false;
}

} // namespace platform
