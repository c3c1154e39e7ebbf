#pragma once

// The wall around the decoder helper. Picture files are hostile input; the code that
// parses them runs in a process that, once confined, can no longer open a file by
// name, reach the network, start a program, signal another process or grow beyond
// its memory and time limits. It keeps what a decode needs: the descriptors it is
// lent, threads, sealed shared memory, and its sockets to the viewer.
//
// Each layer stands on its own: where the kernel lacks one, the others still hold
// and the missing one is named in the report, so that the caller can log it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

struct ConfinementLimits {
    std::uint64_t addressSpaceBytes = 0; // 0: no limit
};

struct ConfinementReport {
    std::vector<std::string> applied; // e.g. "landlock (ABI 3)"
    std::vector<std::string> missing; // each with the reason, e.g. "landlock (the kernel has no Landlock)"
};

// Call once, while the process has a single thread (threads started later inherit the
// wall; Landlock and no_new_privs do not reach threads already running), after every
// library, plugin and table a decode could load from disk has been loaded: nothing
// can be opened by name afterwards. Descriptors already open stay usable.
ConfinementReport confineThisProcess(const ConfinementLimits& limits);

// Gives the process `seconds` more of CPU time (all threads together) from now; past
// it, the kernel's SIGXCPU ends the process. 0 lifts the limit again. Returns why the
// limit could not be set, if it could not.
std::optional<std::string> allowCpuSecondsFromNow(unsigned seconds);

// Single layers, for a process that wants only some of the wall.
namespace confinement {
// Needed before Landlock or seccomp can be applied without privileges.
void forbidNewPrivileges(ConfinementReport& report);
// Landlock with no path allowed: every file access by name is refused, and where
// the kernel can, TCP, abstract unix sockets and signals out of the process too.
void forbidFilesystemAndNetwork(ConfinementReport& report);
} // namespace confinement

} // namespace vistrel
