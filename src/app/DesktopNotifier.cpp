#include "app/DesktopNotifier.h"

#include "app/BusProbe.h"
#include "app/NotificationText.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace skedula {

namespace {

const QString Service = "org.freedesktop.Notifications";
const QString Path = "/org/freedesktop/Notifications";
const QString Interface = "org.freedesktop.Notifications";
// Reports of a few minutes while the bus or the server is slow to answer; older ones go.
constexpr std::size_t MaxPending = 10;
// A server that takes longer is not waited for; its notification is lost.
constexpr int CallTimeoutMs = 5000;
// A bus that has not answered its first line by then is taken for none.
constexpr auto ProbeLimit = std::chrono::seconds(2);

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(Service, Path, Interface, method);
}

} // namespace

DesktopNotifier::DesktopNotifier() = default;

DesktopNotifier::~DesktopNotifier() {
    if (connecting_.joinable())
        connecting_.join();
    Disconnect();
}

void DesktopNotifier::EntryMeasured(const Measurement& measurement) {
    if (!enabled_ || !measurement.reported)
        return;
    pending_.push_back({++numbered_, measurement.reportLines});
    if (pending_.size() > MaxPending)
        pending_.pop_front();
    Flush();
}

void DesktopNotifier::Flush() {
    if (bus_ && !bus_->isConnected())
        Disconnect(); // the bus went away (a new login, a restarted daemon): reach it anew
    if (!bus_) {
        Connect();
        return;
    }
    if (!markup_) {
        AskCapabilities();
        return;
    }
    while (!pending_.empty()) {
        Send(pending_.front().reportLines);
        pending_.pop_front();
    }
}

void DesktopNotifier::Connect() {
    if (connectingNow_)
        return;
    if (connecting_.joinable())
        connecting_.join(); // the last attempt has told its end already
    connectingNow_ = true;
    const unsigned through = numbered_;
    const QString name = QString("skedula-notifications-%1").arg(++attempts_);
    // The address as the environment has it now; libdbus would keep the first one it saw.
    const std::string address = SessionBusAddress();
    // Connecting blocks until the bus has answered: never on this thread.
    connecting_ = std::thread([this, name, address, through] {
        bool connected = false;
        if (address.empty()) {
            connected =
                QDBusConnection::connectToBus(QDBusConnection::SessionBus, name).isConnected();
        } else if (AskBus(address, ProbeLimit) != BusAnswer::Silent) {
            connected =
                QDBusConnection::connectToBus(QString::fromStdString(address), name).isConnected();
        }
        if (!connected)
            QDBusConnection::disconnectFromBus(name);
        QMetaObject::invokeMethod(
            this,
            [this, name, connected, through] {
                connectingNow_ = false;
                if (connected)
                    Connected(name);
                else
                    Failed(through); // no bus: nothing is shown
            },
            Qt::QueuedConnection);
    });
}

void DesktopNotifier::Connected(const QString& name) {
    bus_.emplace(name);
    markup_.reset();
    Flush();
}

void DesktopNotifier::AskCapabilities() {
    if (asking_)
        return;
    asking_ = true;
    auto* watcher =
        new QDBusPendingCallWatcher(bus_->asyncCall(Call("GetCapabilities"), CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                asking_ = false;
                const QDBusPendingReply<QStringList> reply = *call;
                if (reply.isError()) {
                    pending_.clear(); // no notification service: nothing is shown
                    return;
                }
                markup_ = reply.value().contains("body-markup");
                Flush();
            });
}

void DesktopNotifier::Failed(unsigned through) {
    while (!pending_.empty() && pending_.front().number <= through)
        pending_.pop_front();
    if (!pending_.empty())
        Flush();
}

void DesktopNotifier::Send(const std::vector<std::string>& reportLines) {
    const NotificationText text = ReportNotification(reportLines, *markup_);
    QVariantMap hints;
    hints["suppress-sound"] = true;
    hints["desktop-entry"] = QString("skedula");
    QDBusMessage call = Call("Notify");
    call << QString("Skedula") << 0u << QString("skedula") << QString::fromStdString(text.summary)
         << QString::fromStdString(text.body) << QStringList() << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                // The server may have gone, or another taken its place: ask it afresh.
                if (answered->isError())
                    markup_.reset();
            });
}

void DesktopNotifier::Disconnect() {
    if (!bus_)
        return;
    const QString name = bus_->name();
    bus_.reset();
    markup_.reset();
    QDBusConnection::disconnectFromBus(name);
}

} // namespace skedula
