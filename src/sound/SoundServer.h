// The desktop's sound server (PulseAudio, or PipeWire's PulseAudio service), found as every
// PulseAudio client finds it (PULSE_SERVER, XDG_RUNTIME_DIR, client.conf): the sources it
// offers, and the German words for what went wrong with it. The recording setup lists the
// sources for its dialog; the capture shares the words.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace skedula {

struct SoundSource {
    std::string name;        // the server's name, which the settings keep
    std::string description; // what the desktop shows, "Monitor of Built-in Audio"
    bool monitor = false;    // the monitor of an output, such as an SDR program's
};

// In the server's order, monitors included. Waits at most the limit; throws Error with the
// German reason when the server cannot be reached or does not answer in time.
std::vector<SoundSource> ListSoundSources(std::chrono::milliseconds limit);

// The German reason for one of libpulse's error codes (PA_ERR_...).
std::string SoundServerReason(int error);

} // namespace skedula
