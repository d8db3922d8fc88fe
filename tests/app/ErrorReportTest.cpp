#include "app/ErrorText.h"
#include "app/ReportError.h"
#include "app/Startup.h"
#include "fakes/ModalBoxWatcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;

TEST(ClosingPeriod, FollowsTheLastByteComparedUnsigned) {
    const std::pair<std::string, std::string> cases[] = {
        {"Fertig.", "Fertig."},
        {"Achtung!", "Achtung!"},
        {"(siehe oben)", "(siehe oben)"},
        {"Wirklich?", "Wirklich?."},
        {"E/A-Fehler 32", "E/A-Fehler 32."},
        {"", ""},
        {"Datei nicht gefunden", "Datei nicht gefunden."},
        {"Gr\xc3\xbc\xc3\xbc", "Gr\xc3\xbc\xc3\xbc."}, // ends in "ü": a byte above 0x7F
        {"a,", "a,"},
        {"a-", "a-"},
        {"a ", "a "},
        {"a/", "a/."},
        {"a:", "a:."}};
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(WithClosingPeriod(message), shown) << message;
}

// An object whose event handler fails, as a button or menu handler may: the event's number
// above User picks the character of the message.
class FailingReceiver : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() >= QEvent::User && e->type() < QEvent::User + 26) {
            const char letter = static_cast<char>('a' + (e->type() - QEvent::User));
            throw std::runtime_error("'" + std::string(1, letter) +
                                     "' ist kein gültiger Integerwert");
        }
        return QObject::event(e);
    }
};

QEvent* Failure(char letter) {
    return new QEvent(static_cast<QEvent::Type>(QEvent::User + (letter - 'a')));
}

// The texts of the boxes shown, in the order of the alphabet: a box opened on top of another
// may be seen first.
std::string ShownTexts(const ModalBoxWatcher& watcher) {
    QStringList texts;
    for (const ModalBoxWatcher::Box& box : watcher.boxes())
        texts << box.text;
    texts.sort();
    return texts.join(" | ").toStdString();
}

// Errors that come while a box is open are handled by that box's own loop. The same text is
// not boxed again while its box is open (a night's failing alarm would stack hundreds), a
// different one is, and once the box is closed the same text gets a box again.
TEST(CatchPoint, ReportsAnErrorThatEscapesAnEventAndGoesOn) {
    // The boxes stay open for some looks of the watcher, long enough for the loop of the box
    // on top to take every failure posted.
    int looks = 0;
    ModalBoxWatcher watcher([&] { return ++looks > 10; });
    FailingReceiver receiver;
    for (const char letter : {'x', 'x', 'y', 'x'})
        QCoreApplication::postEvent(&receiver, Failure(letter));
    QCoreApplication::processEvents(); // returns once every box is closed
    ASSERT_EQ(watcher.boxes().size(), 2u);
    EXPECT_EQ(watcher.boxes()[0].caption, "Skedula");
    EXPECT_EQ(ShownTexts(watcher),
              "'x' ist kein gültiger Integerwert. | 'y' ist kein gültiger Integerwert.");

    QCoreApplication::postEvent(&receiver, Failure('x'));
    QCoreApplication::processEvents();
    ASSERT_EQ(watcher.boxes().size(), 3u);
    EXPECT_EQ(watcher.boxes()[2].text, QString::fromUtf8("'x' ist kein gültiger Integerwert."));
}

TEST(CatchPoint, BoxIsOwnedByTheActiveWindow) {
    QWidget window;
    window.show();
    QApplication::setActiveWindow(&window);
    ModalBoxWatcher watcher;
    ReportError("Zu wenig Speicherplatz");
    ASSERT_EQ(watcher.boxes().size(), 1u);
    EXPECT_EQ(watcher.boxes()[0].text, "Zu wenig Speicherplatz.");
    if (QApplication::activeWindow() == &window) {
        EXPECT_EQ(watcher.boxes()[0].owner, &window);
    }
}

// A desktop style that puts icons on the buttons of dialogs, as GNOME's and KDE's do.
class IconButtonStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

TEST(CatchPoint, TheBoxHasTheErrorIconAndOnePlainOkButton) {
    const QString styleName = QApplication::style()->name();
    QApplication::setStyle(new IconButtonStyle(QStyleFactory::create(styleName)));
    ModalBoxWatcher watcher;
    ReportError("Datei nicht gefunden");
    QApplication::setStyle(styleName);
    ASSERT_EQ(watcher.boxes().size(), 1u);
    EXPECT_EQ(watcher.boxes()[0].icon, QMessageBox::Critical);
    ASSERT_EQ(watcher.boxes()[0].buttons.size(), 1);
    EXPECT_EQ(QString(watcher.boxes()[0].buttons[0]).remove('&'), "OK");
    EXPECT_FALSE(watcher.boxes()[0].buttonWithIcon);
}

class ShownWindow : public AppWindows {
public:
    void showMainWindow() override {
        window.show();
        QTimer::singleShot(50, &window, [this] { window.close(); });
    }
    QWidget window;
};

TEST(Startup, ExitsWithZeroWhenTheMainWindowCloses) {
    ModalBoxWatcher watcher;
    const int code =
        RunApplication(*qApp, [] { return std::unique_ptr<AppWindows>(new ShownWindow); });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(watcher.boxes().empty());
}

TEST(Startup, AFailureWhileCreatingTheWindowsIsShownOnceAndExitsWithOne) {
    ModalBoxWatcher watcher;
    const int code = RunApplication(
        *qApp, []() -> std::unique_ptr<AppWindows> { throw std::runtime_error("Fenster fehlt"); });
    EXPECT_EQ(code, 1);
    ASSERT_EQ(watcher.boxes().size(), 1u);
    EXPECT_EQ(watcher.boxes()[0].caption, "Anwendungsfehler");
    EXPECT_TRUE(watcher.boxes()[0].text.contains("Fenster fehlt."));
    EXPECT_TRUE(watcher.boxes()[0].text.startsWith("Exception std::runtime_error in Modul"));
}

} // namespace
} // namespace skedula
