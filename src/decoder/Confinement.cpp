#include "decoder/Confinement.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <initializer_list>
#include <linux/landlock.h>
#include <sanitizer/common_interface_defs.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef __NR_landlock_create_ruleset
#define __NR_landlock_create_ruleset 444
#endif
#ifndef __NR_landlock_restrict_self
#define __NR_landlock_restrict_self 446
#endif

#if defined(__SANITIZE_ADDRESS__)
#define VISTREL_ADDRESS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VISTREL_ADDRESS_SANITIZED 1
#endif
#endif

namespace vistrel {

namespace {

#ifdef VISTREL_ADDRESS_SANITIZED
constexpr bool addressSanitized = true;
#else
constexpr bool addressSanitized = false;
#endif

std::string withReason(const std::string& layer, const std::string& reason) {
    return layer + " (" + reason + ")";
}

std::string withError(const std::string& layer, const char* call, int error) {
    return withReason(layer, std::string(call) + ": " + std::strerror(error));
}

// A sanitizer's report reads /proc/self/maps, the executable's name and the libraries'
// symbols, which the wall forbids: the runtime reads them now. Returns whether the
// process carries one.
bool prepareSanitizerRuntime(void* library) {
    using Notify = void (*)(__sanitizer_sandbox_arguments*);
    using Symbolize = void (*)(void*, const char*, char*, std::size_t);
    const auto notify = reinterpret_cast<Notify>(::dlsym(library, "__sanitizer_sandbox_on_notify"));
    const auto symbolize = reinterpret_cast<Symbolize>(::dlsym(library, "__sanitizer_symbolize_pc"));
    if (notify == nullptr || symbolize == nullptr)
        return false;
    __sanitizer_sandbox_arguments arguments{};
    notify(&arguments);
    std::array<char, 256> symbol{};
    symbolize(__builtin_return_address(0), "%p %F %L", symbol.data(), symbol.size());
    return true;
}

// GCC links the undefined-behaviour runtime as a library of its own, with its own
// copy of the report machinery beside the address sanitizer's.
bool prepareSanitizersForTheWall() {
    bool sanitized = prepareSanitizerRuntime(RTLD_DEFAULT);
    if (void* const undefinedBehaviour = ::dlopen("libubsan.so.1", RTLD_LAZY | RTLD_NOLOAD)) {
        sanitized = prepareSanitizerRuntime(undefinedBehaviour) || sanitized;
        ::dlclose(undefinedBehaviour);
    }
    return sanitized;
}

// Landlock and no_new_privs bind only the thread that applies them.
void noteThreadsAlreadyRunning(ConfinementReport& report) {
    std::error_code error;
    std::ptrdiff_t threads = 0;
    for (std::filesystem::directory_iterator task("/proc/self/task", error), end; !error && task != end;
         task.increment(error))
        ++threads;
    if (threads > 1)
        report.missing.push_back(
            withReason("landlock and no_new_privs on the threads started before the wall",
                       std::to_string(threads - 1) + " already running"));
}

// Other processes of the same user may no longer trace it or read its memory, and a
// crash leaves no core file with picture bytes in it.
void forbidTracingAndCoreFiles(ConfinementReport& report) {
    if (::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0)
        report.applied.emplace_back("not dumpable");
    else
        report.missing.push_back(withError("not dumpable", "prctl", errno));
}

void limitResource(ConfinementReport& report, const std::string& layer, int resource, rlim_t most) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0)
        return report.missing.push_back(withError(layer, "getrlimit", errno));
    limit.rlim_max = std::min(limit.rlim_max, most); // a hard limit can only come down
    limit.rlim_cur = limit.rlim_max;
    if (::setrlimit(resource, &limit) != 0)
        return report.missing.push_back(withError(layer, "setrlimit", errno));
    report.applied.push_back(layer);
}

void limitAddressSpace(ConfinementReport& report, std::uint64_t bytes) {
    if (bytes == 0)
        return;
    const std::string layer = "address space limit of " + std::to_string(bytes >> 20) + " MiB";
    if (addressSanitized)
        return report.missing.push_back(
            withReason(layer, "AddressSanitizer reserves terabytes of shadow memory"));
    limitResource(report, layer, RLIMIT_AS, rlim_t(bytes));
}

// RLIMIT_FSIZE stays as it is: ftruncate on a memfd obeys it, and pixels travel in one.
void limitResources(ConfinementReport& report, const ConfinementLimits& limits) {
    limitAddressSpace(report, limits.addressSpaceBytes);
    limitResource(report, "no core files", RLIMIT_CORE, 0);
}

// The CPU limit works by SIGXCPU's default action; whoever started the helper may
// have left the signal ignored or blocked.
void letSigxcpuEndTheProcess(ConfinementReport& report) {
    const std::string layer = "SIGXCPU ends the process";
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigset_t sigxcpu;
    sigemptyset(&sigxcpu);
    sigaddset(&sigxcpu, SIGXCPU);
    if (::sigaction(SIGXCPU, &byDefault, nullptr) != 0)
        return report.missing.push_back(withError(layer, "sigaction", errno));
    if (::pthread_sigmask(SIG_UNBLOCK, &sigxcpu, nullptr) != 0)
        return report.missing.push_back(withError(layer, "pthread_sigmask", errno));
    report.applied.push_back(layer);
}

// Landlock's kernel interface, written out here because the system headers may be
// older than the running kernel.
namespace landlock {

constexpr unsigned askVersion = LANDLOCK_CREATE_RULESET_VERSION;

// Each right, with the ABI version that brought it.
constexpr std::uint64_t fsRightsOfVersion1 = (1ULL << 13) - 1; // execute .. make symlink: 1
constexpr std::uint64_t fsRefer = 1ULL << 13;                  // 2
constexpr std::uint64_t fsTruncate = 1ULL << 14;               // 3
constexpr std::uint64_t fsIoctlDevice = 1ULL << 15;            // 5
constexpr std::uint64_t netBindTcp = 1ULL << 0;                // 4
constexpr std::uint64_t netConnectTcp = 1ULL << 1;             // 4
constexpr std::uint64_t scopeAbstractUnixSocket = 1ULL << 0;   // 6
constexpr std::uint64_t scopeSignal = 1ULL << 1;               // 6

// Where the headers know a right, they agree.
#ifdef LANDLOCK_ACCESS_FS_REFER
static_assert(fsRefer == LANDLOCK_ACCESS_FS_REFER);
#endif
#ifdef LANDLOCK_ACCESS_FS_TRUNCATE
static_assert(fsTruncate == LANDLOCK_ACCESS_FS_TRUNCATE);
#endif
#ifdef LANDLOCK_ACCESS_FS_IOCTL_DEV
static_assert(fsIoctlDevice == LANDLOCK_ACCESS_FS_IOCTL_DEV);
#endif
#ifdef LANDLOCK_ACCESS_NET_CONNECT_TCP
static_assert(netConnectTcp == LANDLOCK_ACCESS_NET_CONNECT_TCP);
#endif
#ifdef LANDLOCK_SCOPE_SIGNAL
static_assert(scopeSignal == LANDLOCK_SCOPE_SIGNAL);
#endif

// The kernel accepts a longer structure than it knows as long as the rest is zero.
struct RulesetAttributes {
    std::uint64_t handledFilesystem = 0;
    std::uint64_t handledNetwork = 0;
    std::uint64_t scoped = 0;
};

RulesetAttributes everythingKnownTo(long version) {
    RulesetAttributes attributes;
    attributes.handledFilesystem = fsRightsOfVersion1 | (version >= 2 ? fsRefer : 0) |
                                   (version >= 3 ? fsTruncate : 0) | (version >= 5 ? fsIoctlDevice : 0);
    if (version >= 4)
        attributes.handledNetwork = netBindTcp | netConnectTcp;
    if (version >= 6)
        attributes.scoped = scopeAbstractUnixSocket | scopeSignal;
    return attributes;
}

std::string whyAbsent(int error) {
    if (error == ENOSYS)
        return "the kernel has no Landlock";
    if (error == EOPNOTSUPP)
        return "Landlock is disabled at boot";
    return std::string("landlock_create_ruleset: ") + std::strerror(error);
}

} // namespace landlock

// The system-call filter: what a decode needs is allowed, what reaches outside the
// process is refused or ends it.

struct SyscallRule {
    int syscall;
    std::uint32_t action;
    std::vector<scmp_arg_cmp> conditions{};
};

scmp_arg_cmp argumentIs(unsigned index, scmp_compare comparison, scmp_datum_t value) {
    return {index, comparison, value, 0};
}

scmp_arg_cmp argumentHasBits(unsigned index, scmp_datum_t bits, scmp_datum_t expected) {
    return {index, SCMP_CMP_MASKED_EQ, bits, expected};
}

void addEach(std::vector<SyscallRule>& rules, std::uint32_t action, std::initializer_list<int> syscalls) {
    for (int syscall : syscalls)
        rules.push_back({syscall, action});
}

constexpr std::uint32_t refusedAccess = SCMP_ACT_ERRNO(EACCES);
constexpr std::uint32_t notAvailable = SCMP_ACT_ERRNO(ENOSYS);
// Not a kill: a library probing an odd call must not take the helper down.
constexpr std::uint32_t otherwise = SCMP_ACT_ERRNO(EPERM);

void allowWhatDecodingNeeds(std::vector<SyscallRule>& rules) {
    addEach(rules, SCMP_ACT_ALLOW,
            {// lent descriptors, sockets to the viewer, pixels in sealed memory
             SCMP_SYS(read), SCMP_SYS(readv), SCMP_SYS(pread64), SCMP_SYS(preadv), SCMP_SYS(write),
             SCMP_SYS(writev), SCMP_SYS(lseek), SCMP_SYS(fstat), SCMP_SYS(fadvise64), SCMP_SYS(close),
             SCMP_SYS(dup), SCMP_SYS(dup2), SCMP_SYS(dup3), SCMP_SYS(fcntl), SCMP_SYS(poll), SCMP_SYS(ppoll),
             SCMP_SYS(recvmsg), SCMP_SYS(sendmsg), SCMP_SYS(recvfrom), SCMP_SYS(sendto),
             SCMP_SYS(memfd_create), SCMP_SYS(ftruncate), SCMP_SYS(fallocate),
             // memory
             SCMP_SYS(mmap), SCMP_SYS(munmap), SCMP_SYS(mprotect), SCMP_SYS(mremap), SCMP_SYS(madvise),
             SCMP_SYS(mincore), SCMP_SYS(brk),
             // threads and time
             SCMP_SYS(futex), SCMP_SYS(set_robust_list), SCMP_SYS(rseq), SCMP_SYS(membarrier),
             SCMP_SYS(set_tid_address), SCMP_SYS(nanosleep), SCMP_SYS(clock_nanosleep),
             SCMP_SYS(clock_gettime), SCMP_SYS(clock_getres), SCMP_SYS(gettimeofday), SCMP_SYS(time),
             SCMP_SYS(sched_yield), SCMP_SYS(sched_getaffinity), SCMP_SYS(sched_getparam),
             SCMP_SYS(sched_getscheduler), SCMP_SYS(sched_get_priority_min), SCMP_SYS(sched_get_priority_max),
             SCMP_SYS(getcpu), SCMP_SYS(getrusage),
             // signals and the end
             SCMP_SYS(rt_sigprocmask), SCMP_SYS(rt_sigreturn), SCMP_SYS(sigaltstack),
             SCMP_SYS(restart_syscall), SCMP_SYS(exit), SCMP_SYS(exit_group),
             // facts about itself
             SCMP_SYS(getpid), SCMP_SYS(gettid), SCMP_SYS(getppid), SCMP_SYS(getuid), SCMP_SYS(geteuid),
             SCMP_SYS(getgid), SCMP_SYS(getegid), SCMP_SYS(getresuid), SCMP_SYS(getresgid), SCMP_SYS(uname),
             SCMP_SYS(sysinfo), SCMP_SYS(getrandom), SCMP_SYS(getrlimit)});
    // A descriptor's facts, but no path's (AT_EMPTY_PATH still takes a path when one
    // is given: Landlock does not cover stat, this is the only wall there).
    rules.push_back(
        {SCMP_SYS(newfstatat), SCMP_ACT_ALLOW, {argumentHasBits(3, AT_EMPTY_PATH, AT_EMPTY_PATH)}});
    rules.push_back({SCMP_SYS(newfstatat), refusedAccess, {argumentHasBits(3, AT_EMPTY_PATH, 0)}});
    rules.push_back({SCMP_SYS(statx), SCMP_ACT_ALLOW, {argumentHasBits(2, AT_EMPTY_PATH, AT_EMPTY_PATH)}});
    rules.push_back({SCMP_SYS(statx), refusedAccess, {argumentHasBits(2, AT_EMPTY_PATH, 0)}});
    // isatty on the log, and how much a socket holds
    rules.push_back({SCMP_SYS(ioctl), SCMP_ACT_ALLOW, {argumentIs(1, SCMP_CMP_EQ, TCGETS)}});
    rules.push_back({SCMP_SYS(ioctl), SCMP_ACT_ALLOW, {argumentIs(1, SCMP_CMP_EQ, FIONREAD)}});
    // thread names, and whether it may dump
    for (const int option : {PR_SET_NAME, PR_GET_NAME, PR_GET_DUMPABLE})
        rules.push_back(
            {SCMP_SYS(prctl), SCMP_ACT_ALLOW, {argumentIs(0, SCMP_CMP_EQ, scmp_datum_t(option))}});
    rules.push_back({SCMP_SYS(get_robust_list), SCMP_ACT_ALLOW, {argumentIs(0, SCMP_CMP_EQ, 0)}});
}

// Limits may be read, and only the CPU limit moved, by the request loop.
void allowTheCpuLimit(std::vector<SyscallRule>& rules) {
    rules.push_back({SCMP_SYS(prlimit64),
                     SCMP_ACT_ALLOW,
                     {argumentIs(0, SCMP_CMP_EQ, 0), argumentIs(1, SCMP_CMP_EQ, RLIMIT_CPU)}});
    rules.push_back({SCMP_SYS(prlimit64),
                     SCMP_ACT_ALLOW,
                     {argumentIs(0, SCMP_CMP_EQ, 0), argumentIs(2, SCMP_CMP_EQ, 0)}});
    rules.push_back({SCMP_SYS(setrlimit), SCMP_ACT_ALLOW, {argumentIs(0, SCMP_CMP_EQ, RLIMIT_CPU)}});
    // SIGXCPU keeps its default action; other handlers may be set, any may be read.
    rules.push_back({SCMP_SYS(rt_sigaction), SCMP_ACT_ALLOW, {argumentIs(0, SCMP_CMP_NE, SIGXCPU)}});
    rules.push_back({SCMP_SYS(rt_sigaction), SCMP_ACT_ALLOW, {argumentIs(1, SCMP_CMP_EQ, 0)}});
}

// Signals only to itself (abort, a thread's cancellation).
void keepSignalsInside(std::vector<SyscallRule>& rules, scmp_datum_t self) {
    for (const int syscall : {SCMP_SYS(kill), SCMP_SYS(tgkill)}) {
        rules.push_back({syscall, SCMP_ACT_ALLOW, {argumentIs(0, SCMP_CMP_EQ, self)}});
        rules.push_back({syscall, SCMP_ACT_KILL_PROCESS, {argumentIs(0, SCMP_CMP_NE, self)}});
    }
    rules.push_back({SCMP_SYS(tkill), SCMP_ACT_ALLOW, {argumentIs(0, SCMP_CMP_EQ, self)}});
}

// Threads, never processes. With a sanitizer a refused fork only costs a report its
// external symbolizer, where a kill would cut the report off.
void allowThreadsOnly(std::vector<SyscallRule>& rules, bool sanitized) {
    rules.push_back({SCMP_SYS(clone), SCMP_ACT_ALLOW, {argumentHasBits(0, CLONE_THREAD, CLONE_THREAD)}});
    rules.push_back({SCMP_SYS(clone3), notAvailable}); // glibc falls back to clone, whose flags can be seen
    if (!sanitized) {
        rules.push_back({SCMP_SYS(clone), SCMP_ACT_KILL_PROCESS, {argumentHasBits(0, CLONE_THREAD, 0)}});
        addEach(rules, SCMP_ACT_KILL_PROCESS, {SCMP_SYS(fork), SCMP_SYS(vfork)});
    }
    addEach(rules, SCMP_ACT_KILL_PROCESS,
            {SCMP_SYS(execve), SCMP_SYS(execveat), SCMP_SYS(ptrace), SCMP_SYS(process_vm_readv),
             SCMP_SYS(process_vm_writev)});
}

// Refused with the errors a program meets anyway, so that libraries fail as they
// would on a machine without the file or the network.
void refuseFilesAndChannels(std::vector<SyscallRule>& rules) {
    addEach(rules, refusedAccess,
            {SCMP_SYS(open), SCMP_SYS(openat), SCMP_SYS(openat2), SCMP_SYS(creat), SCMP_SYS(stat),
             SCMP_SYS(lstat), SCMP_SYS(statfs), SCMP_SYS(access), SCMP_SYS(faccessat), SCMP_SYS(faccessat2),
             SCMP_SYS(readlink), SCMP_SYS(readlinkat), SCMP_SYS(socket), SCMP_SYS(socketpair),
             SCMP_SYS(connect), SCMP_SYS(bind), SCMP_SYS(listen), SCMP_SYS(accept), SCMP_SYS(accept4)});
    // Channels within the process reach no one outside it: a sanitizer tests whether
    // memory may be read by writing it to a pipe, and GLib wakes its main loops (which
    // Qt's readers may make) through an eventfd, failing hard without one.
    addEach(rules, SCMP_ACT_ALLOW, {SCMP_SYS(pipe), SCMP_SYS(pipe2), SCMP_SYS(eventfd), SCMP_SYS(eventfd2)});
    // What a library falls back from to plain poll.
    addEach(rules, notAvailable,
            {SCMP_SYS(epoll_create), SCMP_SYS(epoll_create1), SCMP_SYS(epoll_ctl), SCMP_SYS(epoll_wait),
             SCMP_SYS(epoll_pwait), SCMP_SYS(epoll_pwait2)});
}

std::vector<SyscallRule> allowList(bool sanitized) {
    std::vector<SyscallRule> rules;
    allowWhatDecodingNeeds(rules);
    allowTheCpuLimit(rules);
    keepSignalsInside(rules, scmp_datum_t(::getpid()));
    allowThreadsOnly(rules, sanitized);
    refuseFilesAndChannels(rules);
    return rules;
}

std::string nameOf(int syscall) {
    char* name = seccomp_syscall_resolve_num_arch(SCMP_ARCH_NATIVE, syscall);
    std::string named = name != nullptr ? name : std::to_string(syscall);
    std::free(name);
    return named;
}

// Returns why the filter could not be made or loaded, if it could not.
std::optional<std::string> loadFilter(scmp_filter_ctx filter, bool sanitized) {
    if (const int error = seccomp_attr_set(filter, SCMP_FLTATR_ACT_BADARCH, SCMP_ACT_KILL_PROCESS); error < 0)
        return std::string("bad-architecture action: ") + std::strerror(-error);
    // Threads already running, if any, get the filter too.
    if (const int error = seccomp_attr_set(filter, SCMP_FLTATR_CTL_TSYNC, 1); error < 0)
        return std::string("thread synchronisation: ") + std::strerror(-error);
    for (const SyscallRule& rule : allowList(sanitized)) {
        const int error = seccomp_rule_add_array(filter, rule.action, rule.syscall,
                                                 unsigned(rule.conditions.size()), rule.conditions.data());
        if (error < 0)
            return "rule for " + nameOf(rule.syscall) + ": " + std::strerror(-error);
    }
    if (const int error = seccomp_load(filter); error < 0)
        return std::string("seccomp_load: ") + std::strerror(-error);
    return std::nullopt;
}

void applySyscallFilter(ConfinementReport& report, bool sanitized) {
    const std::string layer =
        sanitized ? "seccomp allow-list (for a sanitizer: forks refused, not fatal)"
                  : "seccomp allow-list";
    const scmp_filter_ctx filter = seccomp_init(otherwise);
    if (filter == nullptr)
        return report.missing.push_back(withReason(layer, "seccomp_init failed"));
    const std::optional<std::string> failure = loadFilter(filter, sanitized);
    seccomp_release(filter);
    if (failure)
        return report.missing.push_back(withReason(layer, *failure));
    report.applied.push_back(layer);
}

} // namespace

namespace confinement {

void forbidNewPrivileges(ConfinementReport& report) {
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0)
        report.applied.emplace_back("no_new_privs");
    else
        report.missing.push_back(withError("no_new_privs", "prctl", errno));
}

void forbidFilesystemAndNetwork(ConfinementReport& report) {
    const long version = ::syscall(__NR_landlock_create_ruleset, nullptr, 0, landlock::askVersion);
    if (version < 0)
        return report.missing.push_back(withReason("landlock", landlock::whyAbsent(errno)));
    const std::string layer = "landlock (ABI " + std::to_string(version) + ")";
    const landlock::RulesetAttributes attributes = landlock::everythingKnownTo(version);
    const long ruleset = ::syscall(__NR_landlock_create_ruleset, &attributes, sizeof attributes, 0U);
    if (ruleset < 0)
        return report.missing.push_back(withError(layer, "landlock_create_ruleset", errno));
    const long restricted = ::syscall(__NR_landlock_restrict_self, ruleset, 0U);
    const int error = errno;
    ::close(int(ruleset));
    if (restricted != 0)
        return report.missing.push_back(withError(layer, "landlock_restrict_self", error));
    report.applied.push_back(layer);
}

} // namespace confinement

ConfinementReport confineThisProcess(const ConfinementLimits& limits) {
    ConfinementReport report;
    const bool sanitized = prepareSanitizersForTheWall();
    noteThreadsAlreadyRunning(report);
    forbidTracingAndCoreFiles(report);
    confinement::forbidNewPrivileges(report);
    limitResources(report, limits);
    letSigxcpuEndTheProcess(report);
    confinement::forbidFilesystemAndNetwork(report);
    applySyscallFilter(report, sanitized); // last: it refuses the calls the layers before it make
    return report;
}

std::optional<std::string> allowCpuSecondsFromNow(unsigned seconds) {
    rusage usage{};
    rlimit limit{};
    if (::getrusage(RUSAGE_SELF, &usage) != 0 || ::getrlimit(RLIMIT_CPU, &limit) != 0)
        return std::string("cannot read the CPU time used: ") + std::strerror(errno);
    const auto microseconds = [](const timeval& time) {
        return rlim_t(time.tv_sec) * 1000000 + rlim_t(time.tv_usec);
    };
    const rlim_t usedSeconds =
        (microseconds(usage.ru_utime) + microseconds(usage.ru_stime) + 999999) / 1000000;
    limit.rlim_cur = seconds == 0 ? limit.rlim_max : std::min(limit.rlim_max, usedSeconds + seconds);
    if (::setrlimit(RLIMIT_CPU, &limit) != 0)
        return std::string("cannot limit the CPU time: ") + std::strerror(errno);
    return std::nullopt;
}

} // namespace vistrel
