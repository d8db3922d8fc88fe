// The Windows program's start: the application, the Windows pieces and the windows built by
// the composition, the main window shown with the start's show command, the message loop run
// until the main window closes. It keeps no settings and reads no command line.
#include "windows/app/Application.h"
#include "windows/app/Composition.h"
#include "windows/app/WindowsPlatform.h"

#include <windows.h>

#include <memory>

namespace {

// Everything the program builds, ended in reverse: the windows and the link before the
// Windows pieces they use.
class Program final : public skedula::AppWindows {
public:
    explicit Program(skedula::Application& application)
        : composition_(application, platform_.Ports()) {}
    HWND mainWindow() const override { return composition_.mainWindow(); }

private:
    skedula::WindowsPlatform platform_;
    skedula::Composition composition_;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    return skedula::RunProgram(showCommand, [](skedula::Application& application) {
        return std::make_unique<Program>(application);
    });
}
