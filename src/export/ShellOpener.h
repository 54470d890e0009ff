// Opening a file with the program the desktop associates with it. XdgShellOpener starts
// `xdg-open` directly (fork and exec, no shell in between) and does not wait for the program;
// RecordingShellOpener only records the requests.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavro {

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Asks the desktop to open `folder` + `fileName`, started in `folder`. False with a reason in
    // `error` when the request could not be made; what the started program does is its own
    // business.
    virtual bool Open(const std::string& folder, const std::string& fileName,
                      std::string& error) = 0;
};

class XdgShellOpener : public ShellOpener {
public:
    // `program` is looked up in PATH unless it contains a "/".
    explicit XdgShellOpener(std::string program = "xdg-open") : program_(std::move(program)) {}
    bool Open(const std::string& folder, const std::string& fileName, std::string& error) override;

private:
    std::string program_;
};

class RecordingShellOpener : public ShellOpener {
public:
    struct Request {
        std::string folder;
        std::string fileName;
    };
    bool Open(const std::string& folder, const std::string& fileName, std::string& error) override {
        requests.push_back({folder, fileName});
        if (!succeed)
            error = "no program is associated with the file";
        return succeed;
    }

    std::vector<Request> requests;
    bool succeed = true;
};

// The grandchild runs the program, so nothing is left to reap and the caller never waits for the
// program; a close-on-exec pipe carries the errno of a failed exec back.
inline bool XdgShellOpener::Open(const std::string& folder, const std::string& fileName,
                                 std::string& error) {
    std::string exe = program_;
    if (exe.find('/') == std::string::npos) {
        exe.clear();
        const char* path = std::getenv("PATH");
        std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
        size_t start = 0;
        while (start <= dirs.size()) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos)
                end = dirs.size();
            const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
            const std::string candidate = dir + "/" + program_;
            if (::access(candidate.c_str(), X_OK) == 0) {
                exe = candidate;
                break;
            }
            start = end + 1;
        }
        if (exe.empty()) {
            error = program_ + ": program not found";
            return false;
        }
    }
    std::string target = folder + fileName;
    if (!target.empty() && target.front() == '-')
        target = "./" + target; // never mistaken for an option
    char* const argv[] = {exe.data(), target.data(), nullptr};

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        error = std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int e = errno;
                (void)!::write(fds[1], &e, sizeof e);
            }
            ::_exit(0);
        }
        ::setsid();
        if (!folder.empty())
            (void)!::chdir(folder.c_str());
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) {
            ::dup2(null, 0);
            if (null != 0)
                ::close(null);
        }
        ::execv(exe.c_str(), argv);
        const int e = errno;
        (void)!::write(fds[1], &e, sizeof e);
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int childErrno = 0;
    ssize_t n;
    do {
        n = ::read(fds[0], &childErrno, sizeof childErrno);
    } while (n < 0 && errno == EINTR);
    ::close(fds[0]);
    if (n == static_cast<ssize_t>(sizeof childErrno)) {
        error = program_ + ": " + std::strerror(childErrno);
        return false;
    }
    return true;
}

} // namespace tavro
