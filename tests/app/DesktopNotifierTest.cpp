// Reports as desktop notifications, against a private session bus with a notification server of
// the test's own; and without a server or a bus, where nothing is shown and the watch goes on.
#include "app/DesktopNotifier.h"
#include "fakes/EngineRig.h"
#include "fakes/EnvScope.h"
#include "fakes/EventLoop.h"
#include "fakes/FakeNotificationServer.h"
#include "fakes/ModalBoxWatcher.h"
#include "fakes/PrivateSessionBus.h"
#include "fakes/SilentSocket.h"

#include <QDBusArgument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace skedula {
namespace {

using fakes::FakeNotificationServer;

Measurement Report(const std::string& frequencyLine) {
    Measurement m = fakes::ReportedMeasurement();
    m.reportLines[2] = frequencyLine;
    return m;
}

// A server that reads markup gets the body escaped; the summary never is markup.
TEST(DesktopNotifier, EachReportIsOneNotificationWithItsTextsIconAndNoSound) {
    test::PrivateSessionBus bus;
    ASSERT_TRUE(bus.ready()) << bus.error();
    FakeNotificationServer server(QString::fromStdString(bus.address()), {"body", "body-markup"});
    ASSERT_TRUE(server.registered());
    DesktopNotifier notifier;
    Measurement quiet = fakes::ReportedMeasurement();
    quiet.reported = false;
    notifier.EntryMeasured(Report("7100000 <AM>"));
    notifier.EntryMeasured(quiet);
    notifier.setEnabled(false);
    notifier.EntryMeasured(Report("1 AUS"));
    notifier.setEnabled(true);
    notifier.EntryMeasured(Report("2 EIN"));
    ASSERT_TRUE(test::WaitUntil([&] { return server.calls().size() == 2; }));
    test::RunPendingEvents();
    ASSERT_EQ(server.calls().size(), 2u);

    const QDBusMessage first = server.calls()[0];
    EXPECT_EQ(first.signature(), "susssasa{sv}i");
    const QList<QVariant> a = first.arguments();
    EXPECT_EQ(a[0].toString(), "Skedula");
    EXPECT_EQ(a[1].toUInt(), 0u);
    EXPECT_EQ(a[2].toString(), "skedula");
    EXPECT_EQ(a[3].toString(), "Skedula: 7100000 <AM>");
    EXPECT_EQ(a[4].toString(), "14:30:10\nS7 &gt;= S5\nS7 &gt;= S5\nS7 &gt;= S5");
    EXPECT_TRUE(qdbus_cast<QStringList>(a[5]).isEmpty());
    const QVariantMap hints = qdbus_cast<QVariantMap>(a[6]);
    EXPECT_EQ(hints.value("suppress-sound"), QVariant(true));
    EXPECT_EQ(hints.value("desktop-entry"), QVariant(QString("skedula")));
    EXPECT_EQ(a[7].toInt(), -1);
    EXPECT_EQ(server.calls()[1].arguments()[3].toString(), "Skedula: 2 EIN");
}

// Without a server, then without any bus (the address names no socket, or there is none at
// all): the engine reports every entry, nothing is shown, no box opens. A server or a bus that
// turns up later shows the next report.
TEST(DesktopNotifier, WithoutAServerOrABusNothingIsShownAndTheWatchGoesOn) {
    fakes::ModalBoxWatcher boxes;
    DesktopNotifier notifier;
    fakes::EngineRig rig(notifier);
    rig.entry(1, "??:??");
    rig.link.open = true;
    rig.link.sMeter = "S7";
    rig.link.followTuning = true;
    rig.startBefore(14, 30);
    const auto reportsAnEntry = [&] { // the next minute's entry, tuned, sampled, reported
        const std::size_t before = rig.listener.measured.size();
        for (int tick = 0; tick < 120 && rig.listener.measured.size() == before; ++tick)
            rig.tickReporting();
        test::RunPendingEvents();
        return rig.listener.measured.size() == before + 1 && rig.listener.measured.back().reported;
    };
    const auto shown = [](const FakeNotificationServer& server) {
        return test::WaitUntil([&] { return !server.calls().empty(); });
    };

    {
        test::PrivateSessionBus bus;
        ASSERT_TRUE(bus.ready()) << bus.error();
        EXPECT_TRUE(reportsAnEntry());
        EXPECT_TRUE(reportsAnEntry());
        FakeNotificationServer server(QString::fromStdString(bus.address()), {"body"});
        EXPECT_TRUE(reportsAnEntry());
        EXPECT_TRUE(shown(server));
    }
    EXPECT_TRUE(reportsAnEntry()); // the bus has gone meanwhile
    EXPECT_TRUE(reportsAnEntry()); // no socket at the address
    QTemporaryDir runtime;
    {
        // No address: libdbus looks in XDG_RUNTIME_DIR, and cannot start a bus without X.
        test::EnvScope noAddress("DBUS_SESSION_BUS_ADDRESS", nullptr);
        test::EnvScope noDisplay("DISPLAY", nullptr);
        test::EnvScope emptyRuntime("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData());
        EXPECT_TRUE(reportsAnEntry());
    }
    test::PrivateSessionBus later;
    ASSERT_TRUE(later.ready()) << later.error();
    FakeNotificationServer server(QString::fromStdString(later.address()), {"body"});
    EXPECT_TRUE(reportsAnEntry());
    EXPECT_TRUE(shown(server));
    EXPECT_TRUE(rig.reported.empty());
    EXPECT_TRUE(boxes.boxes().empty());
}

// libdbus would wait without end for such a bus; the notifier gives up on it, so that going
// away (as at the program's end) does not wait for it either.
TEST(DesktopNotifier, ABusThatNeverAnswersHoldsNeitherTheWatchNorTheEnd) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("bus").toStdString();
    const test::SilentSocket silent(path);
    ASSERT_TRUE(silent.bound());
    test::EnvScope bus("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + path).c_str());
    DesktopNotifier notifier;
    notifier.EntryMeasured(Report("7100000 AM"));
    notifier.EntryMeasured(Report("7100000 AM"));
}

} // namespace
} // namespace skedula
