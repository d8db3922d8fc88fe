// Every test and benchmark program runs with a home, a settings and a data folder of its own,
// made fresh when the program starts and removed when it ends, so that no run reads or writes
// the user's settings, reports or autostart entry, nor shows a notification on the user's
// desktop: the session bus is one that is not there, until a test starts a bus of its own.
// Linked into every such program; it acts before main, and the processes a test starts inherit
// the folders.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PrivateHome {
public:
    PrivateHome() : owner_(::getpid()) {
        const char* temp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(temp != nullptr && *temp != '\0' ? temp : "/tmp") + "/skedula-home-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("skedula tests: no private home folder");
            std::abort();
        }
        root_ = pattern;
        Point("HOME", "home");
        Point("XDG_CONFIG_HOME", "config");
        Point("XDG_DATA_HOME", "data");
        ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + root_ + "/no-session-bus").c_str(), 1);
    }

    ~PrivateHome() {
        // A forked child that exits normally must not take the folders from its parent.
        if (::getpid() != owner_) {
            return;
        }
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

private:
    void Point(const char* variable, const char* folder) {
        const std::string path = root_ + "/" + folder;
        ::mkdir(path.c_str(), 0700);
        ::setenv(variable, path.c_str(), 1);
    }

    pid_t owner_;
    std::string root_;
};

const PrivateHome home;

} // namespace
