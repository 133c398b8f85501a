#pragma once
// For tests of what a user may not do with files (write a protected file,
// make a file in a read-only folder): root may do all of it, and the tests
// run as root in CI. runUnprivileged runs the check in a child process as
// the user and group "nobody" (65534) when this process is root, and right
// here otherwise; the check returns 0 when it passed, or the number of the
// step that failed.

#include <sys/types.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>

inline constexpr int kUnprivilegedId = 65534;

// Exit codes of the child itself, above any step number a check uses.
enum : int {
    UnprivilegedForkFailed = 200,
    UnprivilegedNoDrop = 201,   // could not become nobody
    UnprivilegedThrew = 202,    // the check raised instead of returning
    UnprivilegedCrashed = 203,  // killed by a signal
};

inline int runUnprivileged(const std::function<int()> &check)
{
    if (::geteuid() != 0)
        return check();
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return UnprivilegedForkFailed;
    if (pid == 0) {
        int rc = UnprivilegedNoDrop;
        if (::setgroups(0, nullptr) == 0 && ::setgid(kUnprivilegedId) == 0
            && ::setuid(kUnprivilegedId) == 0 && ::geteuid() == kUnprivilegedId) {
            try {
                rc = check();
            } catch (...) {
                rc = UnprivilegedThrew;
            }
        }
        ::_exit(rc);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return UnprivilegedForkFailed;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : UnprivilegedCrashed;
}
