// The alarm player over the Media Control Interface (winmm): sounds one alarm file at a time
// in the background, the device chosen by the file's extension (WAV and MP3 play). The
// Windows main window owns the one player; the engine drives it through AlarmPort in the
// order Close, setFileName, Open, Play.
#pragma once

#include "engine/Ports.h"

#include <windows.h>

#include <mmsystem.h>

#include <string>

namespace skedula {

// MCI's own text for an error code (mciGetErrorStringA), or "Unbekannter Fehler-Code"; in
// UTF-8, like every message of the program's errors.
std::string MciErrorText(DWORD code);

class MciAlarmPlayer final : public AlarmPort {
public:
    // owner: the window the player's hidden notification window belongs to; none makes it a
    // message-only window.
    explicit MciAlarmPlayer(HWND owner = nullptr) : owner_(owner) {}
    // Closes a device still open, which stops a sound still playing.
    ~MciAlarmPlayer() override;
    MciAlarmPlayer(const MciAlarmPlayer&) = delete;
    MciAlarmPlayer& operator=(const MciAlarmPlayer&) = delete;

    // Stops and releases the device of the previous alarm; a failure is only stored.
    void Close() override;
    // The path exactly as the alarm cell holds it; kept after Close.
    void setFileName(const std::string& fileName) override { fileName_ = fileName; }
    const std::string& fileName() const { return fileName_; }
    // Opens fileName() with the device its extension names and waits until the device has
    // it. Throws Error with MCI's text for the failure.
    void Open() override;
    // Starts the open file from its start and returns at once; a failure is only stored.
    // Throws Error("Kein MCI-Gerät geöffnet") when no device is open.
    void Play() override;

    bool isOpen() const { return open_; }
    MCIDEVICEID deviceId() const { return device_; }
    // The MCI code of the last command sent (0: success).
    DWORD lastResult() const { return lastResult_; }
    // The reason of the last end-of-play notice (MCI_NOTIFY_SUCCESSFUL, ...), 0 before one.
    WPARAM lastNotice() const { return lastNotice_; }
    // The device's mode (MCI_MODE_PLAY, MCI_MODE_STOP, ...), 0 when it cannot be asked.
    DWORD mode();

private:
    HWND NotifyWindow();
    DWORD Status(DWORD item);
    void QueryCapabilities();
    static LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND owner_;
    HWND notifyWindow_ = nullptr;
    std::string fileName_;
    bool open_ = false;
    MCIDEVICEID device_ = 0;
    DWORD lastResult_ = 0;
    WPARAM lastNotice_ = 0;
};

} // namespace skedula
