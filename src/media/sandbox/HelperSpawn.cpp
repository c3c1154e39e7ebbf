#include "media/sandbox/HelperSpawn.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vistrel::helperspawn {

std::optional<Spawned> spawn(const char* program, const char* option) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], controlDescriptor);
    posix_spawn_file_actions_addclosefrom_np(&actions, controlDescriptor + 1);
    char* const arguments[] = {const_cast<char*>(program), const_cast<char*>(option), nullptr};
    pid_t id = -1;
    const int failure = ::posix_spawn(&id, program, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (failure != 0) {
        ::close(ends[0]);
        errno = failure;
        return std::nullopt;
    }
    return Spawned{id, ends[0]};
}

void handOn(const Spawned& helper, const char* variable) {
    if (::fcntl(helper.control, F_SETFD, 0) != 0)
        return; // the socket would close with the exec: the viewer starts its own
    char named[48];
    std::snprintf(named, sizeof named, "%d,%d", helper.control, int(helper.id));
    ::setenv(variable, named, 1);
}

std::optional<Spawned> takeHandedOn(const char* variable) {
    const char* named = std::getenv(variable);
    if (named == nullptr)
        return std::nullopt;
    Spawned helper;
    int id = -1;
    const bool read = std::sscanf(named, "%d,%d", &helper.control, &id) == 2;
    helper.id = id;
    ::unsetenv(variable);
    struct stat status {};
    // Ours only when it runs as our child: waitpid answers 0 for a child still running.
    if (!read || helper.control < 0 || helper.id <= 0 || ::fstat(helper.control, &status) != 0 ||
        !S_ISSOCK(status.st_mode) || ::waitpid(helper.id, nullptr, WNOHANG) != 0)
        return std::nullopt;
    ::fcntl(helper.control, F_SETFD, FD_CLOEXEC);
    return helper;
}

} // namespace vistrel::helperspawn
