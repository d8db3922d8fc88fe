// Whether there is a display to open the window on, asked before the application object
// needs one: without it Qt would abort with status 134 and its own English lines, where a
// listener in a terminal needs to read why in German, and scripts need status 1. Used by main.
#pragma once

#include <QApplication>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace skedula {

// The message for standard error when neither DISPLAY nor WAYLAND_DISPLAY is set; nothing when
// one is, or when QT_QPA_PLATFORM names a platform (offscreen, xcb, ...) for Qt to use.
// variable: reads one environment variable, nullptr when it is not set.
std::optional<std::string>
NoDisplayMessage(const std::function<const char*(const char*)>& variable = [](const char* name) {
    return static_cast<const char*>(std::getenv(name));
});

// Makes the application object with create. When Qt gives up on the display meanwhile (one
// that is named but does not answer), writes the German message naming it to standard error
// and ends the process with status 1; Qt's own lines are then left out.
std::unique_ptr<QApplication>
CreateWithDisplay(const std::function<std::unique_ptr<QApplication>()>& create);

} // namespace skedula
