#include "fakes/PrivateSessionBus.h"

#include <QFile>

#include <csignal>
#include <sys/prctl.h>

namespace skedula::test {

PrivateSessionBus::PrivateSessionBus() {
    QFile config(folder_.filePath("bus.conf"));
    config.open(QIODevice::WriteOnly);
    config.write(
        "<busconfig><type>session</type><listen>unix:path=" + folder_.filePath("bus").toUtf8() +
        "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
        "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
        "<allow own=\"*\"/></policy></busconfig>\n");
    config.close();
    daemon_.setStandardErrorFile(QProcess::nullDevice()); // "Failed to set fd limit" as root
    daemon_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    daemon_.start("dbus-daemon",
                  {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
    // The daemon writes its address once it listens.
    while (daemon_.waitForReadyRead(10000) && !daemon_.canReadLine()) {
    }
    const QByteArray line = daemon_.readLine().trimmed();
    if (line.isEmpty())
        return;
    address_ = line.toStdString();
    environment_ = std::make_unique<EnvScope>("DBUS_SESSION_BUS_ADDRESS", address_.c_str());
}

PrivateSessionBus::~PrivateSessionBus() {
    environment_.reset();
    daemon_.terminate();
    daemon_.waitForFinished(5000);
}

} // namespace skedula::test
