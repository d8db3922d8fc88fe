#include "app/DisplayCheck.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace skedula {

namespace {

std::string Value(const std::function<const char*(const char*)>& variable, const char* name) {
    const char* value = variable(name);
    return value != nullptr ? value : "";
}

std::string Value(const char* name) {
    return Value([](const char* n) { return static_cast<const char*>(std::getenv(n)); }, name);
}

// What Qt said while the application object was made: held back until it is clear whether
// the display answered, then handed on as Qt would have shown it.
struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};
std::vector<HeldMessage> held;
QtMessageHandler previousHandler = nullptr;

void HoldOrGiveUp(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        held.push_back({type, context.category != nullptr ? context.category : "", text});
        return;
    }
    const std::string display = Value("DISPLAY");
    const std::string wayland = Value("WAYLAND_DISPLAY");
    std::string named;
    if (!display.empty())
        named += "DISPLAY=" + display;
    if (!wayland.empty())
        named += (named.empty() ? "" : ", ") + std::string("WAYLAND_DISPLAY=") + wayland;
    const std::string platform = Value("QT_QPA_PLATFORM");
    if (!platform.empty())
        named += (named.empty() ? "" : ", ") + std::string("QT_QPA_PLATFORM=") + platform;
    std::fprintf(stderr,
                 "skedula: Die Anzeige (%s) ist nicht erreichbar: Skedula braucht eine "
                 "grafische Sitzung (X11 oder Wayland).\n",
                 named.empty() ? "keine angegeben" : named.c_str());
    std::fflush(stderr);
    // Inside Qt's constructor nothing is worth tidying up; abort would give status 134.
    std::_Exit(1);
}

} // namespace

std::optional<std::string>
NoDisplayMessage(const std::function<const char*(const char*)>& variable) {
    if (!Value(variable, "QT_QPA_PLATFORM").empty() || !Value(variable, "DISPLAY").empty() ||
        !Value(variable, "WAYLAND_DISPLAY").empty())
        return std::nullopt;
    return "skedula: Keine Anzeige: Weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt. Skedula "
           "braucht eine grafische Sitzung (X11 oder Wayland); \"skedula --help\" geht auch "
           "ohne.\n";
}

std::unique_ptr<QApplication>
CreateWithDisplay(const std::function<std::unique_ptr<QApplication>()>& create) {
    held.clear();
    previousHandler = qInstallMessageHandler(HoldOrGiveUp);
    std::unique_ptr<QApplication> app = create();
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        previousHandler(message.type, context, message.text);
    }
    held.clear();
    return app;
}

} // namespace skedula
