// A notification server for tests: owns org.freedesktop.Notifications on the bus it is given,
// answers GetCapabilities with the capabilities it is made with, and records every Notify call
// as the bus delivered it. Qt may hand it the calls on its D-Bus thread, hence the lock.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QStringList>

#include <mutex>
#include <vector>

namespace skedula::fakes {

class FakeNotificationServer : public QDBusVirtualObject {
public:
    FakeNotificationServer(const QString& address, QStringList capabilities)
        : capabilities_(std::move(capabilities)),
          bus_(QDBusConnection::connectToBus(address, "fake-notification-server")) {
        registered_ = bus_.registerVirtualObject("/org/freedesktop/Notifications", this) &&
                      bus_.registerService("org.freedesktop.Notifications");
    }
    ~FakeNotificationServer() override {
        bus_.unregisterService("org.freedesktop.Notifications");
        bus_.unregisterObject("/org/freedesktop/Notifications");
        QDBusConnection::disconnectFromBus("fake-notification-server");
    }

    bool registered() const { return registered_; }
    // Every Notify call, as it arrived.
    std::vector<QDBusMessage> calls() const {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() == "GetCapabilities") {
            connection.send(message.createReply(QVariant(capabilities_)));
            return true;
        }
        if (message.member() == "Notify") {
            const std::lock_guard lock(mutex_);
            calls_.push_back(message);
            connection.send(message.createReply(QVariant(static_cast<uint>(calls_.size()))));
            return true;
        }
        return false;
    }

private:
    QStringList capabilities_;
    QDBusConnection bus_;
    bool registered_ = false;
    mutable std::mutex mutex_;
    std::vector<QDBusMessage> calls_;
};

} // namespace skedula::fakes
