#include "fakes/ChildProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace skedula::test {

namespace {

void WriteAllTo(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0 && errno != EINTR)
            return;
        if (n > 0)
            done += static_cast<std::size_t>(n);
    }
}

std::string ReadAllFrom(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool WriteProcFile(const char* path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

// A mount namespace of our own: directly with the right to mount, else inside a user namespace.
void EnterPrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            throw ChildSkip{SystemError("no mount namespace for a scratch tmpfs")};
        if (!WriteProcFile("/proc/self/setgroups", "deny") ||
            !WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            throw ChildSkip{"cannot map the user into a user namespace"};
    }
    // Without this a shared root would carry our mounts back to the machine.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        throw ChildSkip{SystemError("cannot make the mounts private")};
}

} // namespace

ChildReport RunInChild(const std::function<std::string()>& check) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return {false, true, SystemError("pipe")};
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return {false, true, SystemError("fork")};
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string message;
        try {
            message = "R" + check();
        } catch (const ChildSkip& skip) {
            message = "S" + skip.reason;
        } catch (const std::exception& e) {
            message = std::string("Eexception in the child: ") + e.what();
        }
        WriteAllTo(pipeFds[1], message);
        // _exit: the child must not run the parent's test teardown or leak check a second time.
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    const std::string message = ReadAllFrom(pipeFds[0]);
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || message.empty())
        return {false, true, "child ended abnormally, status " + std::to_string(status)};
    const std::string text = message.substr(1);
    switch (message[0]) {
    case 'R':
        return {false, false, text};
    case 'S':
        return {true, false, text};
    default:
        return {false, true, text};
    }
}

ChildReport RunOnScratchMount(std::size_t bytes,
                              const std::function<std::string(const std::string&)>& check) {
    std::string folder = (std::filesystem::temp_directory_path() / "skedula-mnt-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        return {false, true, SystemError("mkdtemp")};
    const ChildReport result = RunInChild([&] {
        EnterPrivateMounts();
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
        if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
            throw ChildSkip{SystemError("cannot mount a scratch tmpfs")};
        return check(folder);
    });
    ::rmdir(folder.c_str());
    return result;
}

bool RemountReadOnly(const std::string& folder) {
    return ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                   nullptr) == 0;
}

bool RemountWritable(const std::string& folder) {
    return ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_NOSUID | MS_NODEV, nullptr) ==
           0;
}

void BecomeUnprivileged() {
    if (::geteuid() != 0)
        return;
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        throw ChildSkip{"running as root, and there is no user nobody to become"};
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
        ::setuid(nobody->pw_uid) != 0 || ::geteuid() == 0)
        throw ChildSkip{SystemError("running as root, and cannot become nobody")};
}

} // namespace skedula::test
