// Sound output: WAV samples loaded into handles and played on any free mixing channel.
// A machine without an audio device runs silently: samples still load (the file is checked)
// and playing them does nothing.
#pragma once
#include <cstdint>

namespace platform {

struct SoundSample; // one loaded WAV; opaque outside the device

class SoundDevice {
  public:
    // Starts the audio output at 44100 Hz with 32 channels. 0 when sound plays, 1 when no
    // device could be opened (the device then stays usable, silently).
    int open();
    bool isSilent() const { return !mixerOpen_; }
    // Loads a whole WAV file (backslashes in the path allowed); null when it cannot be read.
    SoundSample* load(const char* path);
    // Starts the sample at once on a free channel, over whatever already plays. Null,
    // no free channel or no device: nothing happens.
    void play(SoundSample* sample);
    void release(SoundSample* sample);
    // Stops the output; samples must have been released first.
    void close();

  private:
    bool audioStarted_ = false;
    bool mixerOpen_ = false;
};

} // namespace platform
