// The alarm player: sounds one alarm file at a time in the background over SDL2_mixer.
// The main window owns the one player for the whole run; the engine drives it through
// AlarmPort in the order Close, setFileName, Open, Play.
#pragma once

#include "engine/Ports.h"

#include <string>

struct _Mix_Music; // SDL2_mixer's Mix_Music, kept out of this header

namespace skedula {

class AlarmPlayer final : public AlarmPort {
public:
    AlarmPlayer() = default;
    // Stops a sound still playing and releases the file and the audio device.
    ~AlarmPlayer() override;
    AlarmPlayer(const AlarmPlayer&) = delete;
    AlarmPlayer& operator=(const AlarmPlayer&) = delete;

    // Stops a sound still playing and releases its file; the audio device stays open.
    void Close() override;

    // The path exactly as the alarm cell holds it; kept after Close.
    void setFileName(const std::string& fileName) override;
    const std::string& fileName() const { return fileName_; }

    // Closes first, then opens fileName() with the decoder its extension names (the content
    // decides when SDL2_mixer knows no decoder for the extension). Opens the audio device the
    // first time. Throws Error naming the path when the file or its folder is missing
    // ("Alarmdatei '<path>' nicht gefunden", for a relative path with " (relativ zum
    // Arbeitsordner <folder>)"), it cannot be read ("Alarmdatei '<path>': " and the list file's
    // message), it is a folder, FIFO or device ("'<path>' ist keine Datei") or no decoder takes
    // it ("... ist keine abspielbare WAV- oder MP3-Datei", with SDL's reason in brackets where
    // it gives one in words); without a sound device "Keine Tonausgabe möglich (<SDL's text>)".
    // Where SDL names no reason, its text is "Unbekannter Fehler-Code".
    void Open() override;

    // Starts the open file from its beginning and returns at once. A failure to start is
    // not reported; with no file open it throws Error("Kein MCI-Gerät geöffnet").
    void Play() override;

    bool isOpen() const { return music_ != nullptr; }

private:
    void openDevice();

    std::string fileName_;
    bool deviceOpen_ = false;
    _Mix_Music* music_ = nullptr;
};

} // namespace skedula
