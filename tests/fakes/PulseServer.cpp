#include "fakes/PulseServer.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace skedula::test {

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

} // namespace

PulseServer::PulseServer() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "skedula-pulse-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        failure_ = "no private folder for PulseAudio";
        return;
    }
    folder_ = pattern;
    runtime_ = folder_ + "/runtime";
    // PulseAudio insists on a runtime folder that only its owner may enter.
    if (::mkdir(runtime_.c_str(), 0700) != 0) {
        failure_ = "cannot make PulseAudio's runtime folder";
        return;
    }
    const std::string log = folder_ + "/pulseaudio.log";
    pid_ = ::fork();
    if (pid_ < 0) {
        failure_ = "cannot start pulseaudio";
        return;
    }
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL); // ends with the test program
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        ::unsetenv("PULSE_SERVER");
        ::unsetenv("PULSE_RUNTIME_PATH");
        if (std::freopen(log.c_str(), "w", stdout) == nullptr ||
            std::freopen(log.c_str(), "w", stderr) == nullptr)
            ::_exit(126);
        // Not daemonised, so that it stays our child; no default script; anyone who reaches
        // the private socket may record, so that no cookie has to be shared.
        ::execlp("pulseaudio", "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n",
                 "--load=module-native-protocol-unix auth-anonymous=1", "--log-target=stderr",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Exists(runtime_ + "/pulse/native")) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = "pulseaudio ended at once (is the package pulseaudio installed?)";
            return;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            failure_ = "pulseaudio did not open its socket";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

PulseServer::~PulseServer() {
    Kill();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

void PulseServer::Kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string PulseServer::Address() const {
    return "unix:" + runtime_ + "/pulse/native";
}

std::optional<std::string> PulseServer::Pactl(const std::string& arguments) const {
    // The arguments are the tests' own: module names and plain key=value pairs.
    const std::string command = "PULSE_SERVER='" + Address() + "' pactl " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return std::nullopt;
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    const int status = ::pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

std::optional<int> PulseServer::Load(const std::string& module, const std::string& arguments) {
    const std::optional<std::string> index = Pactl("load-module " + module + " " + arguments);
    if (!index || index->empty() || index->find_first_not_of("0123456789\n") != std::string::npos)
        return std::nullopt;
    return std::stoi(*index);
}

bool PulseServer::Unload(int module) {
    return Pactl("unload-module " + std::to_string(module)).has_value();
}

std::optional<int> PulseServer::AddToneSink(const std::string& name, int hertz, int rate,
                                            int channels) {
    const std::optional<int> sink =
        Load("module-null-sink", "sink_name=" + name + " rate=" + std::to_string(rate) +
                                     " channels=" + std::to_string(channels));
    if (!sink)
        return std::nullopt;
    if (!Load("module-sine", "sink=" + name + " frequency=" + std::to_string(hertz))) {
        Unload(*sink);
        return std::nullopt;
    }
    return sink;
}

} // namespace skedula::test
