#include "fakes/PrivateSessionBus.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace skedula::test {

namespace {

// The daemon answers on its socket once it has written its address.
constexpr int StartLimitMs = 10000;

std::string Configuration(const std::string& socket) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" +
           socket +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

} // namespace

PrivateSessionBus::PrivateSessionBus() {
    const std::string folder = folder_.path().toStdString();
    const std::string config = folder + "/bus.conf";
    std::ofstream(config) << Configuration(folder + "/bus");

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error_ = std::strerror(errno);
        return;
    }
    const std::string configArgument = "--config-file=" + config; // no allocation after fork
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        ::dup2(fds[1], STDOUT_FILENO);
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, STDERR_FILENO); // "Failed to set fd limit" as root
        ::execlp("dbus-daemon", "dbus-daemon", configArgument.c_str(), "--nofork",
                 "--print-address=1", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string line;
    pollfd readable{fds[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&readable, 1, StartLimitMs) > 0) {
        char buffer[512];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (line.find('\n') == std::string::npos) {
        error_ = "dbus-daemon gave no address";
        return;
    }
    address_ = line.substr(0, line.find('\n'));
    environment_ = std::make_unique<EnvScope>("DBUS_SESSION_BUS_ADDRESS", address_.c_str());
}

PrivateSessionBus::~PrivateSessionBus() {
    environment_.reset();
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

} // namespace skedula::test
