#include "link/rigctld/ServerProcess.h"

#include <QProcess>
#include <QStringList>

#include <csignal>
#include <sys/prctl.h>

namespace skedula {

namespace {

constexpr int StopWaitMs = 1000;

} // namespace

ServerProcess::ServerProcess() = default;

ServerProcess::~ServerProcess() {
    Stop();
}

std::vector<std::string> ServerProcess::SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : commandLine) {
        if (c == ' ' || c == '\t') {
            if (!part.empty()) {
                parts.push_back(std::move(part));
                part.clear();
            }
        } else {
            part += c;
        }
    }
    if (!part.empty()) {
        parts.push_back(std::move(part));
    }
    return parts;
}

bool ServerProcess::Start(const std::string& commandLine, std::chrono::milliseconds limit) {
    if (Running()) {
        return true;
    }
    const std::vector<std::string> parts = SplitCommandLine(commandLine);
    if (parts.empty()) {
        return false;
    }
    QStringList arguments;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        arguments << QString::fromStdString(parts[i]);
    }
    process_ = std::make_unique<QProcess>();
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Should Skedula die without a chance to clean up, the kernel ends the server with it.
    process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_->start(QString::fromStdString(parts.front()), arguments, QIODevice::ReadOnly);
    if (!process_->waitForStarted(static_cast<int>(limit.count()))) {
        Stop();
        process_.reset();
        return false;
    }
    return true;
}

bool ServerProcess::Running() const {
    return process_ != nullptr && process_->state() != QProcess::NotRunning;
}

void ServerProcess::WaitForExit(std::chrono::milliseconds limit) {
    if (Running() && limit.count() > 0) {
        process_->waitForFinished(static_cast<int>(limit.count()));
    }
}

void ServerProcess::Stop() {
    if (!Running()) {
        return;
    }
    process_->terminate();
    if (!process_->waitForFinished(StopWaitMs)) {
        process_->kill();
        process_->waitForFinished(StopWaitMs);
    }
}

} // namespace skedula
