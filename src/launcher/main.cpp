// The command `vistrel`: starts the decoder helper, then becomes the viewer. The
// viewer's toolkit takes a good part of its start just to load; started from here, the
// helper loads and puts up its wall on the other core meanwhile, so that it is ready
// when the viewer asks for the first picture. No toolkit is loaded here.

#include "media/sandbox/HelperSpawn.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <cstdlib>
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
bool filesHandedOver(int argc, char** argv) {
    for (int index = 1; index < argc; ++index)
        if (argv[index][0] != '-')
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<fs::path> viewer = companion("vistrel-viewer", nullptr);
    if (!viewer) {
        std::fputs("vistrel: the viewer program vistrel-viewer is not installed beside this one\n", stderr);
        return 127;
    }
    if (filesHandedOver(argc, argv))
        if (const std::optional<fs::path> helper = companion("vistrel-decoder", "VISTREL_DECODER"))
            if (const auto started = vistrel::helperspawn::spawn(helper->c_str(), nullptr))
                vistrel::helperspawn::handOn(*started);
    char programName[] = "vistrel";
    char* namedOnly[] = {programName, nullptr};
    ::execv(viewer->c_str(), argc > 0 ? argv : namedOnly);
    std::fprintf(stderr, "vistrel: cannot start %s: %s\n", viewer->c_str(), std::strerror(errno));
    return 127;
}
