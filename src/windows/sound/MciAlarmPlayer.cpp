#include "windows/sound/MciAlarmPlayer.h"

#include "engine/Error.h"

#include <mmsystem.h>

#include <digitalv.h>

#include <vector>

namespace skedula {

namespace {
constexpr const char* kNotifyClass = "SkedulaMciNotify";
}

std::string MciErrorText(DWORD code) {
    std::vector<char> text(4096, '\0');
    if (!::mciGetErrorStringA(code, text.data(), static_cast<UINT>(text.size())))
        return "Unbekannter Fehler-Code";
    // MCI speaks the ANSI code page; the program's messages are UTF-8.
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, text.data(), -1, nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), -1, utf16.data(), wide);
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    utf8.resize(utf8.find('\0'));
    return utf8;
}

MciAlarmPlayer::~MciAlarmPlayer() {
    if (device_ != 0) {
        MCI_GENERIC_PARMS parameters{};
        ::mciSendCommandA(device_, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parameters));
    }
    if (notifyWindow_ != nullptr)
        ::DestroyWindow(notifyWindow_);
}

HWND MciAlarmPlayer::NotifyWindow() {
    if (notifyWindow_ != nullptr)
        return notifyWindow_;
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    WNDCLASSA notifyClass{};
    if (!::GetClassInfoA(module, kNotifyClass, &notifyClass)) {
        notifyClass.lpfnWndProc = NotifyProc;
        notifyClass.hInstance = module;
        notifyClass.lpszClassName = kNotifyClass;
        ::RegisterClassA(&notifyClass);
    }
    notifyWindow_ =
        ::CreateWindowExA(0, kNotifyClass, "", owner_ != nullptr ? WS_CHILD : 0, 0, 0, 0, 0,
                          owner_ != nullptr ? owner_ : HWND_MESSAGE, nullptr, module, nullptr);
    ::SetWindowLongPtrA(notifyWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return notifyWindow_;
}

void MciAlarmPlayer::Close() {
    if (device_ == 0)
        return;
    MCI_GENERIC_PARMS parameters{};
    parameters.dwCallback = reinterpret_cast<DWORD_PTR>(NotifyWindow());
    lastResult_ =
        ::mciSendCommandA(device_, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parameters));
    if (lastResult_ == 0) {
        open_ = false;
        device_ = 0;
    }
}

void MciAlarmPlayer::Open() {
    // A close that failed left the device counted as open: try once more, then open anyway.
    if (open_)
        Close();
    char noDeviceType[] = "";
    MCI_OPEN_PARMSA parameters{};
    parameters.dwCallback = reinterpret_cast<DWORD_PTR>(NotifyWindow());
    parameters.lpstrDeviceType = noDeviceType;
    parameters.lpstrElementName = fileName_.c_str();
    lastResult_ = ::mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT,
                                    reinterpret_cast<DWORD_PTR>(&parameters));
    if (lastResult_ != 0)
        throw Error(MciErrorText(lastResult_));
    device_ = parameters.wDeviceID;
    open_ = true;
    QueryCapabilities();
}

void MciAlarmPlayer::QueryCapabilities() {
    // What a player's button panel would be set up from; the alarm needs none of it, and a
    // failure here is not reported.
    Status(MCI_STATUS_LENGTH);
    bool hasVideo = false;
    for (DWORD item : {MCI_GETDEVCAPS_CAN_PLAY, MCI_GETDEVCAPS_CAN_RECORD, MCI_GETDEVCAPS_CAN_EJECT,
                       MCI_GETDEVCAPS_HAS_VIDEO, MCI_GETDEVCAPS_DEVICE_TYPE}) {
        MCI_GETDEVCAPS_PARMS capability{};
        capability.dwItem = item;
        lastResult_ = ::mciSendCommandA(device_, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT,
                                        reinterpret_cast<DWORD_PTR>(&capability));
        if (item == MCI_GETDEVCAPS_HAS_VIDEO && lastResult_ == 0)
            hasVideo = capability.dwReturn != 0;
    }
    MCI_DGV_RECT_PARMS rectangle{};
    lastResult_ = ::mciSendCommandA(device_, MCI_WHERE, MCI_DGV_WHERE_SOURCE | MCI_WAIT,
                                    reinterpret_cast<DWORD_PTR>(&rectangle));
    if (hasVideo)
        lastResult_ = ::mciSendCommandA(device_, MCI_WHERE, MCI_DGV_WHERE_DESTINATION | MCI_WAIT,
                                        reinterpret_cast<DWORD_PTR>(&rectangle));
    Status(MCI_STATUS_MODE);
}

DWORD MciAlarmPlayer::Status(DWORD item) {
    if (device_ == 0)
        throw Error("Kein MCI-Gerät geöffnet");
    MCI_STATUS_PARMS status{};
    status.dwItem = item;
    lastResult_ = ::mciSendCommandA(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                                    reinterpret_cast<DWORD_PTR>(&status));
    return lastResult_ == 0 ? static_cast<DWORD>(status.dwReturn) : 0;
}

DWORD MciAlarmPlayer::mode() {
    return device_ == 0 ? 0 : Status(MCI_STATUS_MODE);
}

void MciAlarmPlayer::Play() {
    if (!open_)
        throw Error("Kein MCI-Gerät geöffnet");
    // Rewind at the end: only a medium whose position stands at its end starts over.
    const DWORD position = Status(MCI_STATUS_POSITION);
    if (position == Status(MCI_STATUS_LENGTH)) {
        MCI_SEEK_PARMS seek{};
        lastResult_ = ::mciSendCommandA(device_, MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT,
                                        reinterpret_cast<DWORD_PTR>(&seek));
    }
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(NotifyWindow());
    lastResult_ =
        ::mciSendCommandA(device_, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
}

LRESULT CALLBACK MciAlarmPlayer::NotifyProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == MM_MCINOTIFY) {
        // The end of play: recorded, and the device stays open holding the file.
        if (auto* player =
                reinterpret_cast<MciAlarmPlayer*>(::GetWindowLongPtrA(window, GWLP_USERDATA))) {
            player->lastNotice_ = wParam;
            player->mode();
        }
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace skedula
