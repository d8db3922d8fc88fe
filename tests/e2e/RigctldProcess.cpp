#include "e2e/RigctldProcess.h"

#include "fakes/FreePort.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>

namespace skedula::e2e {

RigctldProcess::RigctldProcess() : RigctldProcess(FreeLoopbackPort()) {}

RigctldProcess::RigctldProcess(std::uint16_t port) : port_(port) {
    process_.start("rigctld", {"-m", "1", "-C", "static_data=1", "-T", "127.0.0.1", "-t",
                               QString::number(port_)});
    process_.waitForStarted(3000);
    QElapsedTimer waited;
    waited.start();
    while (running() && waited.elapsed() < 5000) {
        if (LoopbackAccepts(port_)) {
            // rigctld (Hamlib 4.5) now and then resets a connection that arrives while it is
            // still ending the one before: let it end the probe's first.
            QThread::msleep(50);
            return;
        }
        QThread::msleep(20);
    }
}

RigctldProcess::~RigctldProcess() {
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

std::string RigctldProcess::ask(const std::string& command) const {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", port_);
    if (!socket.waitForConnected(1000))
        return {};
    socket.write((command + "\n").c_str());
    socket.flush();
    std::string reply;
    while (socket.waitForReadyRead(300))
        reply += socket.readAll().toStdString();
    return reply;
}

} // namespace skedula::e2e
