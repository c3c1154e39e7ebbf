// The command `vistrel`: starts the decoder helpers, then becomes the viewer. The
// viewer's toolkit takes a good part of its start just to load; started from here, the
// helpers load and put up their walls on the other core meanwhile, so that they are
// ready when the viewer asks for the first picture. No toolkit is loaded here.

#include "codec/io/FileSignatures.h"
#include "media/sandbox/HelperSpawn.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Beside this program (the build tree), or in the installed program folder; for the
// helper, $VISTREL_DECODER first, as the viewer looks for it.
std::optional<fs::path> companion(const char* name, const char* pathVariable) {
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    std::vector<fs::path> candidates;
    if (const char* named = pathVariable != nullptr ? std::getenv(pathVariable) : nullptr; named && *named)
        candidates.emplace_back(named);
    if (!error)
        candidates.insert(candidates.end(),
                          {folder / name, (folder / VISTREL_MODULE_DIR_FROM_PROGRAM / name).lexically_normal()});
    for (const fs::path& candidate : candidates)
        if (fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    return std::nullopt;
}

// The helper is worth starting here only for files to show; the viewer starts one
// itself when it needs one later.
const char* firstFileHandedOver(int argc, char** argv) {
    for (int index = 1; index < argc; ++index)
        if (argv[index][0] != '-')
            return argv[index];
    return nullptr;
}

// Whether the first file is a picture the helper of our own decoders would only pass
// on to a helper of every reader. Never waits: a FIFO or a device is no such picture.
bool needsEveryReader(const char* path) {
    const int file = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0)
        return false;
    struct stat status {};
    const bool regular = ::fstat(file, &status) == 0 && S_ISREG(status.st_mode);
    const std::string head = regular ? vistrel::fileHeadOf(file) : std::string();
    ::close(file);
    return vistrel::needsEveryReader(head);
}

// The helpers the viewer will ask first, started now; it takes them over.
void startHelpersFor(const char* firstFile) {
    const std::optional<fs::path> helper = companion("vistrel-decoder", "VISTREL_DECODER");
    if (!helper)
        return;
    if (const auto started = vistrel::helperspawn::spawn(helper->c_str(), nullptr))
        vistrel::helperspawn::handOn(*started);
    if (needsEveryReader(firstFile))
        if (const auto started = vistrel::helperspawn::spawn(helper->c_str(), "--formats"))
            vistrel::helperspawn::handOn(*started, vistrel::helperspawn::formatsHandedOnVariable);
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<fs::path> viewer = companion("vistrel-viewer", nullptr);
    if (!viewer) {
        std::fputs("vistrel: the viewer program vistrel-viewer is not installed beside this one\n", stderr);
        return 127;
    }
    if (const char* firstFile = firstFileHandedOver(argc, argv))
        startHelpersFor(firstFile);
    char programName[] = "vistrel";
    char* namedOnly[] = {programName, nullptr};
    ::execv(viewer->c_str(), argc > 0 ? argv : namedOnly);
    std::fprintf(stderr, "vistrel: cannot start %s: %s\n", viewer->c_str(), std::strerror(errno));
    return 127;
}
