#include "UiKit.h"

#include "windows/ui/Design.h"

#include <algorithm>
#include <cstdio>

namespace skedula::uitest {

namespace {

thread_local DialogWatcher* watching = nullptr;
thread_local TimedSteps* stepping = nullptr;

void Send(std::vector<INPUT> inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT Button(DWORD flag) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    return input;
}

} // namespace

bool PumpUntil(Application& application, const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (;;) {
        while (application.ProcessMessage()) {
        }
        if (done())
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end)
            return false;
        ::MsgWaitForMultipleObjects(
            0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)), QS_ALLINPUT);
    }
}

void Pump(Application& application, DWORD milliseconds) {
    PumpUntil(
        application, [] { return false; }, milliseconds);
}

void Settle(Application& application) {
    PumpUntil(application, InputHandled());
}

void MoveTo(HWND window, int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(window, &point);
    ::SetCursorPos(point.x, point.y);
}

void ClickAt(HWND window, int x, int y) {
    MoveTo(window, x, y);
    Send({Button(MOUSEEVENTF_LEFTDOWN), Button(MOUSEEVENTF_LEFTUP)});
}

void DoubleClickAt(HWND window, int x, int y) {
    MoveTo(window, x, y);
    Send({Button(MOUSEEVENTF_LEFTDOWN), Button(MOUSEEVENTF_LEFTUP), Button(MOUSEEVENTF_LEFTDOWN),
          Button(MOUSEEVENTF_LEFTUP)});
}

void PressKey(WORD key, bool shift, bool alt) {
    std::vector<INPUT> inputs;
    if (alt)
        inputs.push_back(Key(VK_MENU, false));
    if (shift)
        inputs.push_back(Key(VK_SHIFT, false));
    inputs.push_back(Key(key, false));
    inputs.push_back(Key(key, true));
    if (shift)
        inputs.push_back(Key(VK_SHIFT, true));
    if (alt)
        inputs.push_back(Key(VK_MENU, true));
    Send(inputs);
}

void TypeText(const std::string& text) {
    std::vector<INPUT> inputs;
    for (unsigned char c : text)
        for (bool up : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    Send(inputs);
}

void BringToFront(HWND window) {
    ::SetForegroundWindow(window);
    ::SetActiveWindow(window);
}

DialogWatcher::DialogWatcher(Answer answer)
    : hook_(::SetWindowsHookExA(WH_CBT, Hook, nullptr, ::GetCurrentThreadId())),
      answer_(std::move(answer)) {
    watching = this;
}

DialogWatcher::~DialogWatcher() {
    for (const auto& entry : waiting_)
        ::KillTimer(nullptr, entry.first);
    watching = nullptr;
    ::UnhookWindowsHookEx(hook_);
}

void DialogWatcher::PressOk(const Dialog& dialog) {
    ::PostMessageA(dialog.window, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK DialogWatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && watching != nullptr)
        watching->Seen(reinterpret_cast<HWND>(wParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void DialogWatcher::Seen(HWND window) {
    if (ClassName(window) != "#32770" ||
        std::find(seen_.begin(), seen_.end(), window) != seen_.end())
        return;
    seen_.push_back(window);
    // Activated before its controls have their texts: looked at from its own loop.
    waiting_.emplace_back(::SetTimer(nullptr, 0, 20, Later), window);
}

void CALLBACK DialogWatcher::Later(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (watching == nullptr)
        return;
    auto& waiting = watching->waiting_;
    const auto it = std::find_if(waiting.begin(), waiting.end(),
                                 [timer](const auto& entry) { return entry.first == timer; });
    if (it == waiting.end())
        return;
    const HWND window = it->second;
    waiting.erase(it);
    watching->Look(window);
}

void DialogWatcher::Look(HWND window) {
    Dialog dialog{window, WindowText(window), {}, ::GetWindow(window, GW_OWNER)};
    // A message box's text is its one static control with text (the icon's has none).
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT))
        if (ClassName(child) == "Static" && !WindowText(child).empty() && dialog.text.empty())
            dialog.text = WindowText(child);
    dialogs_.push_back(dialog);
    answer_(dialog);
}

Step Do(std::function<void()> action) {
    return [action = std::move(action)] {
        action();
        return true;
    };
}

Step Until(std::function<bool()> condition) {
    return condition;
}

Step InputHandled() {
    return [] { return HIWORD(::GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) == 0; };
}

TimedSteps::TimedSteps(std::vector<Step> steps, UINT delay)
    : steps_(std::move(steps)), stepStarted_(::GetTickCount64()),
      timer_(::SetTimer(nullptr, 0, delay, Tick)) {
    stepping = this;
}

TimedSteps::~TimedSteps() {
    ::KillTimer(nullptr, timer_);
    stepping = nullptr;
}

void CALLBACK TimedSteps::Tick(HWND, UINT, UINT_PTR, DWORD) {
    // A step may open a modal loop in which the timer ticks on: the next steps wait for it.
    if (stepping == nullptr || stepping->done() || stepping->running_)
        return;
    TimedSteps& self = *stepping;
    self.running_ = true;
    const bool finished = self.steps_[self.next_]();
    self.running_ = false;
    if (finished || ::GetTickCount64() - self.stepStarted_ > 10000) {
        ++self.next_;
        self.stepStarted_ = ::GetTickCount64();
    }
}

Picture Picture::OfClientArea(HWND window) {
    RECT client;
    ::GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    return OfScreen(origin.x, origin.y, client.right, client.bottom);
}

Picture Picture::OfWindow(HWND window) {
    RECT frame;
    ::GetWindowRect(window, &frame);
    return OfScreen(frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
}

Picture Picture::OfScreen(int left, int top, int width, int height) {
    Picture picture;
    picture.width_ = width;
    picture.height_ = height;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    ::GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t p = pixels[i]; // 0x00RRGGBB
        picture.pixels_.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return picture;
}

void Picture::Save(const std::string& path) const {
    const int stride = (width_ * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + stride * height_;
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = -height_;
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::vector<unsigned char> row(static_cast<std::size_t>(stride), 0);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const COLORREF c = at(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    std::fclose(out);
}

RECT PlaceInParent(HWND control) {
    RECT place;
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

std::string ClassName(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

} // namespace skedula::uitest
