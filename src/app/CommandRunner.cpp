#include "app/CommandRunner.h"

#include "storage/UniqueFd.h"

#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace skedula {

namespace {

// Enough for the last few lines of a complaint; a chatty program cannot grow it.
constexpr std::size_t MaxErrorTail = 4096;
constexpr auto EndWait = std::chrono::seconds(1);
// Where the kernel has no process descriptors, the exit is looked for this often.
constexpr auto ExitPoll = std::chrono::milliseconds(100);

// Above 0, 1 and 2, so that the spawn's dup2 onto them always makes a copy whose close-on-exec
// flag is clear, even when Skedula was started with one of them closed.
int AboveStandard(int fd) {
    if (fd < 0 || fd > 2)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

struct Pipe {
    std::optional<UniqueFd> read;
    std::optional<UniqueFd> write;
};

int MakePipe(Pipe& pipe) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return errno;
    pipe.read.emplace(AboveStandard(fds[0]));
    pipe.write.emplace(AboveStandard(fds[1]));
    return pipe.read->valid() && pipe.write->valid() ? 0 : EMFILE;
}

// The input goes into the pipe before the program exists, so writing it can neither wait for a
// reader nor meet one that has already gone (SIGPIPE). A report's six lines fit a pipe many
// times over; a larger input grows the pipe, and what still does not fit is left out.
void FillInput(int fd, const std::string& input) {
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    if (input.size() > 65536)
        ::fcntl(fd, F_SETPIPE_SZ, static_cast<int>(input.size()));
    std::size_t written = 0;
    while (written < input.size()) {
        const ssize_t n = ::write(fd, input.data() + written, input.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        written += static_cast<std::size_t>(n);
    }
}

std::vector<std::string> CurrentEnvironment() {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        entries.emplace_back(*entry);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

struct Spawned {
    pid_t pid = -1;
    int error = 0; // errno when it could not be started
    std::optional<UniqueFd> out;
    std::optional<UniqueFd> err;
};

Spawned Spawn(const CommandJob& job) {
    Spawned spawned;
    if (job.arguments.empty() || job.arguments.front().empty()) {
        spawned.error = ENOENT;
        return spawned;
    }
    Pipe in, out, err;
    for (Pipe* pipe : {&in, &out, &err})
        if ((spawned.error = MakePipe(*pipe)) != 0)
            return spawned;
    FillInput(in.write->get(), job.input);
    in.write->close();

    std::vector<std::string> arguments = job.arguments;
    std::vector<std::string> environment = MergedEnvironment(CurrentEnvironment(), job.variables);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.read->get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.write->get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write->get(), STDERR_FILENO);
    // A group of its own, so that what it starts in turn ends with it; the signals as a
    // program expects them, whatever Skedula's libraries did with them.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t set;
    sigemptyset(&set);
    posix_spawnattr_setsigmask(&attributes, &set);
    for (int number :
         {SIGPIPE, SIGINT, SIGTERM, SIGQUIT, SIGHUP, SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2})
        sigaddset(&set, number);
    posix_spawnattr_setsigdefault(&attributes, &set);
    // glibc spawns with vfork semantics and reports a failed exec here, with its errno.
    spawned.error =
        ::posix_spawnp(&spawned.pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned.error == 0) {
        spawned.out.emplace(std::move(*out.read));
        spawned.err.emplace(std::move(*err.read));
    }
    return spawned;
}

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

bool Blank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

std::string LastLine(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0) {
        const std::size_t start = text.rfind('\n', end - 1);
        const std::size_t from = start == std::string_view::npos ? 0 : start + 1;
        std::string line(text.substr(from, end - from));
        if (!Blank(line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            return line;
        }
        if (start == std::string_view::npos)
            break;
        end = start;
    }
    return {};
}

} // namespace

// One program that runs: its output passed on, its exit watched, its time bounded.
class CommandRunner::Process final : public QObject {
public:
    Process(CommandRunner& runner, Spawned spawned, std::string program, Done done)
        : QObject(&runner), runner_(runner), pid_(spawned.pid), program_(std::move(program)),
          done_(std::move(done)), out_(std::move(*spawned.out)), err_(std::move(*spawned.err)) {
        for (const UniqueFd* fd : {&out_, &err_})
            ::fcntl(fd->get(), F_SETFL, O_NONBLOCK);
        outNotice_ = new QSocketNotifier(out_.get(), QSocketNotifier::Read, this);
        connect(outNotice_, &QSocketNotifier::activated, this, [this] { Take(out_, outNotice_); });
        errNotice_ = new QSocketNotifier(err_.get(), QSocketNotifier::Read, this);
        connect(errNotice_, &QSocketNotifier::activated, this, [this] { Take(err_, errNotice_); });

        const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
        if (pidfd >= 0) {
            pidfd_.emplace(pidfd);
            exitNotice_ = new QSocketNotifier(pidfd, QSocketNotifier::Read, this);
            connect(exitNotice_, &QSocketNotifier::activated, this, [this] { LookForExit(); });
        } else {
            connect(&poll_, &QTimer::timeout, this, [this] { LookForExit(); });
            poll_.start(ExitPoll);
        }

        term_.setSingleShot(true);
        connect(&term_, &QTimer::timeout, this, [this] {
            timedOut_ = true;
            ::kill(-pid_, SIGTERM);
            kill_.start(runner_.limits_.grace);
        });
        kill_.setSingleShot(true);
        connect(&kill_, &QTimer::timeout, this, [this] { ::kill(-pid_, SIGKILL); });
        term_.start(runner_.limits_.runTime);
    }

    pid_t pid() const { return pid_; }

private:
    // Passes on what the program wrote, to Skedula's standard error; keeps the end of its
    // error output for the box.
    void Take(UniqueFd& fd, QSocketNotifier* notice) {
        std::array<char, 4096> buffer{};
        // A bounded share at a time: a program that writes without pause must not hold the
        // loop; the notifier comes again for the rest.
        for (int chunk = 0; chunk < 16; ++chunk) {
            const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0 || (n < 0 && errno != EAGAIN))
                notice->setEnabled(false); // its end, or nothing more to be had
            if (n <= 0)
                return;
            WriteAll(STDERR_FILENO, buffer.data(), static_cast<std::size_t>(n));
            if (&fd == &err_) {
                errorTail_.append(buffer.data(), static_cast<std::size_t>(n));
                if (errorTail_.size() > MaxErrorTail)
                    errorTail_.erase(0, errorTail_.size() - MaxErrorTail);
            }
        }
    }

    void LookForExit() {
        int status = 0;
        const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
        if (ended == 0 || (ended < 0 && errno == EINTR))
            return;
        // What it wrote before it ended is in the pipes already.
        if (outNotice_->isEnabled())
            Take(out_, outNotice_);
        if (errNotice_->isEnabled())
            Take(err_, errNotice_);
        for (QSocketNotifier* notice : {outNotice_, errNotice_, exitNotice_})
            if (notice != nullptr)
                notice->setEnabled(false);
        poll_.stop();
        term_.stop();
        kill_.stop();

        CommandOutcome outcome;
        outcome.program = program_;
        outcome.lastErrorLine = LastLine(errorTail_);
        if (timedOut_) {
            // And whatever it started that is still there.
            ::kill(-pid_, SIGKILL);
            outcome.end = CommandOutcome::End::TimedOut;
        } else if (ended > 0 && WIFSIGNALED(status)) {
            outcome.end = CommandOutcome::End::Signalled;
            outcome.code = WTERMSIG(status);
        } else if (ended > 0 && WIFEXITED(status) && WEXITSTATUS(status) != 0) {
            outcome.end = CommandOutcome::End::Failed;
            outcome.code = WEXITSTATUS(status);
        }
        runner_.Finished(this, outcome, done_);
    }

    CommandRunner& runner_;
    pid_t pid_;
    std::string program_;
    Done done_;
    UniqueFd out_;
    UniqueFd err_;
    std::optional<UniqueFd> pidfd_;
    QSocketNotifier* outNotice_ = nullptr;
    QSocketNotifier* errNotice_ = nullptr;
    QSocketNotifier* exitNotice_ = nullptr;
    QTimer poll_;
    QTimer term_;
    QTimer kill_;
    std::string errorTail_;
    bool timedOut_ = false;
};

CommandRunner::CommandRunner(Limits limits) : limits_(limits) {}

CommandRunner::~CommandRunner() {
    waiting_.clear();
    for (Process* process : running_)
        ::kill(-process->pid(), SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + EndWait;
    for (Process* process : running_) {
        while (::waitpid(process->pid(), nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                ::kill(-process->pid(), SIGKILL);
                ::waitpid(process->pid(), nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

void CommandRunner::Run(CommandJob job, Done done) {
    waiting_.push_back({std::move(job), std::move(done)});
    // Started from the event loop, once the caller (a tick) has returned: the tick never waits
    // for a spawn, and whatever the tick does after the call (the report file's line) is done
    // before the program starts.
    if (!startQueued_) {
        startQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            startQueued_ = false;
            StartWaiting();
        });
    }
}

void CommandRunner::StartWaiting() {
    while (running_.size() < limits_.atOnce && !waiting_.empty()) {
        Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        Start(std::move(next));
    }
}

void CommandRunner::Start(Waiting next) {
    const std::string program = next.job.arguments.empty() ? "" : next.job.arguments.front();
    Spawned spawned = Spawn(next.job);
    if (spawned.error != 0) {
        CommandOutcome outcome;
        outcome.end = CommandOutcome::End::NotStarted;
        outcome.program = program;
        outcome.code = spawned.error;
        // Told from the event loop, as every other outcome is.
        QTimer::singleShot(0, this, [outcome, done = std::move(next.done)] {
            if (done)
                done(outcome);
        });
        return;
    }
    running_.push_back(new Process(*this, std::move(spawned), program, std::move(next.done)));
}

void CommandRunner::Finished(Process* process, const CommandOutcome& outcome, const Done& done) {
    std::erase(running_, process);
    process->deleteLater();
    // The slot goes to the next waiting job before the outcome is told: the order holds.
    StartWaiting();
    if (done)
        done(outcome);
}

} // namespace skedula
