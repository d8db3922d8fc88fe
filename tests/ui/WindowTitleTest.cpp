// The titles as the window system receives them, read back from a real X server (the test runs
// under xvfb-run): Qt may add the application's name to a title on its way there.
#include "WindowRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace skedula {
namespace {

using uitest::WindowRig;

// A connection of the test's own, as a window manager or a task bar reads the titles.
class X11Titles {
public:
    X11Titles() : connection_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(connection_) == 0) {
            name_ = atom("_NET_WM_NAME");
            utf8_ = atom("UTF8_STRING");
        }
    }
    ~X11Titles() { xcb_disconnect(connection_); }
    X11Titles(const X11Titles&) = delete;
    X11Titles& operator=(const X11Titles&) = delete;

    bool connected() const { return name_ != XCB_ATOM_NONE; }

    // The title of a shown window, once the window system has it.
    QString of(QWidget* window) {
        QElapsedTimer waited;
        waited.start();
        QString title;
        while (title.isEmpty() && waited.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            title = read(static_cast<xcb_window_t>(window->winId()));
        }
        return title;
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return result;
    }

    QString read(xcb_window_t window) {
        auto* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, name_, utf8_, 0, 1024), nullptr);
        QString title;
        if (reply != nullptr)
            title = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                                      xcb_get_property_value_length(reply));
        std::free(reply);
        return title;
    }

    xcb_connection_t* connection_;
    xcb_atom_t name_ = XCB_ATOM_NONE;
    xcb_atom_t utf8_ = XCB_ATOM_NONE;
};

TEST(WindowTitles, TheFileDialogsReachTheWindowSystemAsDesigned) {
    X11Titles titles;
    if (!titles.connected())
        GTEST_SKIP() << "no X server: run under xvfb-run";
    // "Skedula" itself, the main window's and the boxes' title, would pass either way.
    WindowRig rig;
    const std::pair<QWidget*, QString> dialogs[] = {
        {rig.form().OpenDialog->dialog(), "Liste laden ..."},
        {rig.form().SaveDialog->dialog(), "Liste speichern ..."},
    };
    for (const auto& [dialog, title] : dialogs) {
        dialog->show();
        EXPECT_EQ(titles.of(dialog), title);
        dialog->hide();
    }
}

} // namespace
} // namespace skedula
