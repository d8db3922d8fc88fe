#include "link/rigctld/ServerProcess.h"

#include <QProcess>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace skedula {

namespace {

constexpr int StopWaitMs = 1000;
// Enough for the last few lines of a server's complaint; a chatty server cannot grow it.
constexpr std::size_t MaxErrorTail = 4096;

bool Blank(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

} // namespace

ServerProcess::ServerProcess() = default;

ServerProcess::~ServerProcess() {
    Stop();
}

bool ServerProcess::Start(const std::vector<std::string>& arguments,
                          std::chrono::milliseconds limit) {
    if (Running()) {
        return true;
    }
    arguments_ = arguments;
    errorTail_.clear();
    startFailure_.clear();
    stoppedByUs_ = false;
    process_.reset();
    if (arguments.empty() || arguments.front().empty()) {
        startFailure_ = "kein Programm angegeben";
        return false;
    }
    QStringList rest;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        rest << QString::fromStdString(arguments[i]);
    }
    process_ = std::make_unique<QProcess>();
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->setReadChannel(QProcess::StandardError);
    QObject::connect(process_.get(), &QProcess::readyReadStandardError,
                     [this] { TakeErrorOutput(); });
    // Should Skedula die without a chance to clean up, the kernel ends the server with it.
    // Skedula may already have died between the fork and this setting, and then nobody would
    // end the server: it leaves at once instead.
    const pid_t parent = ::getpid();
    process_->setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) {
            ::_exit(1);
        }
    });
    process_->start(QString::fromStdString(arguments.front()), rest, QIODevice::ReadOnly);
    if (!process_->waitForStarted(static_cast<int>(limit.count()))) {
        startFailure_ = process_->errorString().toStdString();
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
    stoppedByUs_ = true;
    process_->terminate();
    if (!process_->waitForFinished(StopWaitMs)) {
        process_->kill();
        process_->waitForFinished(StopWaitMs);
    }
}

std::optional<int> ServerProcess::ExitCode() const {
    if (process_ == nullptr || Running() || stoppedByUs_ ||
        process_->exitStatus() != QProcess::NormalExit) {
        return std::nullopt;
    }
    return process_->exitCode();
}

std::string ServerProcess::LastErrorLine() const {
    if (process_ != nullptr) {
        TakeErrorOutput();
    }
    std::size_t end = errorTail_.size();
    while (end > 0) {
        const std::size_t start = errorTail_.rfind('\n', end - 1);
        const std::size_t from = start == std::string::npos ? 0 : start + 1;
        std::string line = errorTail_.substr(from, end - from);
        if (!Blank(line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
                line.pop_back();
            }
            return line;
        }
        if (start == std::string::npos) {
            break;
        }
        end = start;
    }
    return {};
}

void ServerProcess::TakeErrorOutput() const {
    const QByteArray bytes = process_->readAllStandardError();
    if (bytes.isEmpty()) {
        return;
    }
    // The server's complaints still reach the terminal Skedula was started from.
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    errorTail_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (errorTail_.size() > MaxErrorTail) {
        errorTail_.erase(0, errorTail_.size() - MaxErrorTail);
    }
}

} // namespace skedula
