// The program's start and end: create the windows inside the last-resort catch, run the loop,
// and give the exit code (0 after the main window closed, 1 when the windows could not be made).
#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace skedula {

// Whatever the start creates; destroyed after the loop has ended, before the exit.
class AppWindows {
public:
    virtual ~AppWindows() = default;
    virtual void showMainWindow() = 0;
};

int RunApplication(QApplication& app,
                   const std::function<std::unique_ptr<AppWindows>()>& createWindows);

// The text of the last-resort report for an error that escaped the windows' creation.
std::string LastResortText(std::exception_ptr error);

} // namespace skedula
