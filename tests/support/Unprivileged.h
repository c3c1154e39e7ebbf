#pragma once

#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace vistrel::test {

// Root reads every folder whatever its mode. A test about unreadable folders runs its
// check in a child (a gtest death-test child) that first gives up root for the
// unprivileged "nobody", as a user would run the program. Ends the child with status 3
// when that is refused.
inline void becomeNobody() {
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody != nullptr ? nobody->pw_uid : 65534;
    const gid_t gid = nobody != nullptr ? nobody->pw_gid : 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) {
        std::fprintf(stderr, "could not become nobody\n");
        std::_Exit(3);
    }
}

} // namespace vistrel::test
