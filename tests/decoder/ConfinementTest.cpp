#include "decoder/Confinement.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <string_view>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vistrel {
namespace {

constexpr int skipped = 77;

// A wall cannot be taken down again, so each is raised in a child of the test, which
// writes what it finds wrong to a pipe opened before the wall went up.
struct Child {
    int pipe;
    void say(const std::string& line) const {
        const std::string text = line + "\n";
        if (::write(pipe, text.data(), text.size()) < 0)
            std::_Exit(3);
    }
    void expectRefused(const char* what, long result, int expectedError) const {
        const int error = errno;
        if (result != -1 || error != expectedError)
            say(std::string(what) + " gave " + std::to_string(result) + ", " + std::strerror(error));
    }
};

// What a child said, and how it ended.
struct ChildEnd {
    int status = 0;
    std::string said;
    bool exitedWith(int code) const { return WIFEXITED(status) && WEXITSTATUS(status) == code; }
    bool killedBy(int signal) const { return WIFSIGNALED(status) && WTERMSIG(status) == signal; }
};

ChildEnd runInChild(const std::function<void(const Child&)>& body) {
    int channel[2];
    if (::pipe(channel) != 0)
        return {-1, "no pipe"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        body(Child{channel[1]});
        std::_Exit(0); // no exit handlers: the leak check needs calls the wall refuses
    }
    ::close(channel[1]);
    ChildEnd end;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        end.said.append(buffer, std::size_t(got));
    ::close(channel[0]);
    ::waitpid(child, &end.status, 0);
    return end;
}

// Landlock may be absent from the kernel; failing to raise it where it exists is a fault.
bool kernelLacks(const std::string& missing) {
    return missing.rfind("landlock (", 0) == 0 && missing.find("ABI") == std::string::npos;
}

void confineFully(const Child& child, std::uint64_t addressSpaceBytes = 0) {
    const ConfinementReport report = confineThisProcess({addressSpaceBytes});
    for (const std::string& missing : report.missing)
        if (!kernelLacks(missing) && missing.find("AddressSanitizer") == std::string::npos)
            child.say("missing " + missing);
    if (report.applied.empty() || report.applied.back().rfind("seccomp allow-list", 0) != 0)
        child.say("no seccomp");
}

TEST(Confinement, NamesNetworkProcessesAndOtherProcessesAreOutOfReach) {
    const ChildEnd refusals = runInChild([](const Child& child) {
        const int lent = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
        confineFully(child);
        char magic[4] = {};
        struct stat status {};
        if (::pread(lent, magic, 4, 0) != 4 || std::string_view(magic, 4) != "\177ELF" ||
            ::fstat(lent, &status) != 0)
            child.say("a descriptor opened before cannot be read");
        child.expectRefused("open", ::open("/etc/passwd", O_RDONLY), EACCES);
        child.expectRefused("openat", ::openat(AT_FDCWD, "/etc/passwd", O_RDONLY), EACCES);
        child.expectRefused("stat", ::stat("/etc/passwd", &status), EACCES);
        child.expectRefused("TCP socket", ::socket(AF_INET, SOCK_STREAM, 0), EACCES);
        child.expectRefused("unix socket", ::socket(AF_UNIX, SOCK_STREAM, 0), EACCES);
        child.expectRefused("lifting the dump ban", ::prctl(PR_SET_DUMPABLE, 1), EPERM);
    });
    EXPECT_TRUE(refusals.exitedWith(0)) << refusals.status;
    EXPECT_EQ(refusals.said, "");

    // A sanitized build refuses a fork instead, so that reports keep their symbols.
    const ChildEnd forking = runInChild([](const Child& child) {
        confineFully(child);
        const pid_t forked = ::fork();
        if (forked == 0)
            std::_Exit(0);
        if (forked > 0)
            child.say("fork made a process");
    });
    EXPECT_TRUE(forking.killedBy(SIGSYS) || forking.exitedWith(0)) << forking.status;
    EXPECT_EQ(forking.said, "");

    const ChildEnd signalling = runInChild([](const Child& child) {
        confineFully(child);
        ::kill(::getppid(), 0);
        child.say("signalled its parent");
    });
    EXPECT_TRUE(signalling.killedBy(SIGSYS)) << signalling.status;
}

// What a decode does: threads, its CPU limit, pixels in sealed memory handed over.
TEST(Confinement, ThreadsAndSealedMemoryStillWork) {
    int sockets[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets), 0);
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    auto* const handed = reinterpret_cast<cmsghdr*>(control);
    *handed = {CMSG_LEN(sizeof(int)), SOL_SOCKET, SCM_RIGHTS};
    char payload = 'm';
    iovec bytes{&payload, 1};
    msghdr message{nullptr, 0, &bytes, 1, control, sizeof control, 0};
    const ChildEnd end = runInChild([&](const Child& child) {
        confineFully(child, std::uint64_t(4) << 30);
        std::atomic<int> ran = 0;
        std::vector<std::thread> threads(4);
        for (std::thread& thread : threads)
            thread = std::thread([&ran] { ::pthread_setname_np(::pthread_self(), "worker"), ++ran; });
        for (std::thread& thread : threads)
            thread.join();
        if (ran != 4 || std::thread::hardware_concurrency() == 0)
            child.say("threads did not run");
        if (const std::optional<std::string> failure = allowCpuSecondsFromNow(60))
            child.say(*failure);
        const int memory = ::memfd_create("pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
        void* mapped = ::ftruncate(memory, 4096) == 0
                           ? ::mmap(nullptr, 4096, PROT_WRITE, MAP_SHARED, memory, 0)
                           : MAP_FAILED;
        if (mapped == MAP_FAILED || ::munmap(mapped, 4096) != 0 ||
            ::fcntl(memory, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE) != 0)
            child.say(std::string("no sealed memory: ") + std::strerror(errno));
        std::memcpy(CMSG_DATA(handed), &memory, sizeof memory);
        pollfd peer{sockets[0], POLLOUT, 0};
        if (::poll(&peer, 1, 1000) != 1 || ::sendmsg(sockets[0], &message, MSG_NOSIGNAL) != 1)
            child.say(std::string("cannot hand the memory over: ") + std::strerror(errno));
    });
    EXPECT_TRUE(end.exitedWith(0)) << end.status;
    EXPECT_EQ(end.said, "");
    ASSERT_EQ(::recvmsg(sockets[1], &message, MSG_DONTWAIT), 1);
    int memory = -1;
    std::memcpy(&memory, CMSG_DATA(handed), sizeof memory);
    EXPECT_EQ(::fcntl(memory, F_GET_SEALS) & F_SEAL_WRITE, F_SEAL_WRITE);
    for (const int descriptor : {memory, sockets[0], sockets[1]})
        ::close(descriptor);
}

TEST(Confinement, AddressSpaceLimitStopsAHugeAllocation) {
    const ChildEnd end = runInChild([](const Child& child) {
        const ConfinementReport report = confineThisProcess({std::uint64_t(1) << 30});
        for (const std::string& missing : report.missing)
            if (missing.rfind("address space", 0) == 0) {
                child.say(missing);
                std::_Exit(skipped);
            }
        const auto reserve = [](std::size_t bytes) {
            return ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                          -1, 0);
        };
        child.expectRefused("2 GiB", reserve(std::size_t(2) << 30) == MAP_FAILED ? -1 : 0, ENOMEM);
        if (reserve(std::size_t(64) << 20) == MAP_FAILED)
            child.say("64 MiB refused too");
    });
    if (end.exitedWith(skipped))
        GTEST_SKIP() << end.said;
    EXPECT_TRUE(end.exitedWith(0)) << end.status;
    EXPECT_EQ(end.said, "");
}

// Spins until the process has used `seconds` of CPU time, or gives up after 30 s.
bool spinUntilCpuSeconds(double seconds) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (timespec used{}; ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used) == 0 &&
                          double(used.tv_sec) + double(used.tv_nsec) / 1e9 < seconds;)
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
    return true;
}

TEST(Confinement, CpuLimitCountsFromNowAndEndsASpinningProcess) {
    const ChildEnd end = runInChild([](const Child& child) {
        // Left ignored and blocked by whoever started the process: the wall undoes both.
        ::signal(SIGXCPU, SIG_IGN);
        sigset_t sigxcpu;
        sigemptyset(&sigxcpu);
        sigaddset(&sigxcpu, SIGXCPU);
        ::sigprocmask(SIG_BLOCK, &sigxcpu, nullptr);
        confineFully(child);
        spinUntilCpuSeconds(1.2);
        if (const std::optional<std::string> failure = allowCpuSecondsFromNow(1))
            child.say(*failure);
        if (spinUntilCpuSeconds(2.5)) // the second counted from now, not from the start
            child.say("alive a second later");
        spinUntilCpuSeconds(60);
        child.say("never stopped");
    });
    EXPECT_TRUE(end.killedBy(SIGXCPU) || end.killedBy(SIGKILL)) << end.status;
    EXPECT_EQ(end.said, "alive a second later\n");
}

TEST(Confinement, LandlockAloneRefusesNamesAndTcpButNotSealedMemory) {
    const ChildEnd end = runInChild([](const Child& child) {
        ConfinementReport report;
        confinement::forbidNewPrivileges(report);
        confinement::forbidFilesystemAndNetwork(report);
        int version = 0;
        if (report.applied.size() != 2 ||
            std::sscanf(report.applied[1].c_str(), "landlock (ABI %d)", &version) != 1) {
            const std::string why = report.missing.empty() ? "no report" : report.missing.back();
            child.say(why);
            std::_Exit(kernelLacks(why) ? skipped : 1);
        }
        child.expectRefused("open", ::open("/etc/passwd", O_RDONLY), EACCES);
        const int memory = ::memfd_create("pixels", MFD_CLOEXEC);
        if (memory < 0 || ::ftruncate(memory, 4096) != 0)
            child.say(std::string("no memfd: ") + std::strerror(errno));
        const int tcp = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in loopback{};
        loopback.sin_family = AF_INET;
        loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (version >= 4)
            child.expectRefused("TCP bind",
                                ::bind(tcp, reinterpret_cast<sockaddr*>(&loopback), sizeof loopback), EACCES);
    });
    if (end.exitedWith(skipped))
        GTEST_SKIP() << end.said;
    EXPECT_TRUE(end.exitedWith(0)) << end.status;
    EXPECT_EQ(end.said, "");
}

#if defined(__SANITIZE_ADDRESS__)
// The block's size hidden from the undefined-behaviour checks: the address
// sanitizer, whose report carries a stack, is the one that finds the fault.
[[gnu::noinline]] int overrunAHeapBlock() {
    char* block = new char[4];
    char* hidden = block;
    asm volatile("" : "+r"(hidden));
    const int beyond = static_cast<volatile char*>(hidden)[4];
    delete[] block;
    return beyond;
}

TEST(Confinement, SanitizerReportsStillComeOutWhole) {
    const ChildEnd end = runInChild([](const Child& child) {
        confineFully(child);
        ::dup2(child.pipe, STDERR_FILENO);
        overrunAHeapBlock();
    });
    EXPECT_TRUE(end.exitedWith(1)) << end.status;
    for (const char* part : {"heap-buffer-overflow", "in overrunAHeapBlock", "SUMMARY"})
        EXPECT_NE(end.said.find(part), std::string::npos) << part << " not in\n" << end.said;
}
#endif

} // namespace
} // namespace vistrel
