#include "media/types/MovieFileTypes.h"

#include <algorithm>
#include <set>

namespace vistrel {

namespace {

// Audio and video MIME types of files that play nothing themselves: play lists and
// the correction stream of a lossless file, which needs the file it belongs to.
const std::set<std::string> unplayableTypes{
    "audio/x-amzxml",  "audio/x-iriver-pla", "audio/x-ms-asx",           "audio/x-scpls",
    "audio/x-mpegurl", "video/vnd.mpegurl",  "audio/x-wavpack-correction",
};

// Suffixes that some audio or video type claims besides its own, or that a version of
// the MIME database may list, for files that are no movie: subtitles (the AAC type
// claims "ass"), play lists and cue sheets, and the navigation files of a Blu-ray disc
// (the MPEG transport stream type claims them along with "ts").
const std::set<std::string> unplayableSuffixes{
    "ass", "srt", "ssa", "sub", "vtt", "idx", "m3u", "m3u8", "pls",
    "asx", "xspf", "cue", "cpi", "clpi", "mpl", "mpls", "bdm", "bdmv",
};

} // namespace

std::vector<std::string> MovieFileTypes::installed() {
    return from(MimeSuffixes::installed());
}

std::vector<std::string> MovieFileTypes::from(const MimeSuffixes& database) {
    std::vector<std::string> types;
    for (const std::string& name : database.typeNames())
        if (isMovieType(name, database.inherits(name, "text/plain")))
            types.push_back(name);
    std::vector<std::string> suffixes = database.of(types);
    std::erase_if(suffixes, [](const std::string& suffix) { return !isMovieSuffix(suffix); });
    return suffixes;
}

bool MovieFileTypes::isMovieType(const std::string& name, bool isText) {
    if (!name.starts_with("video/") && !name.starts_with("audio/"))
        return false;
    return !isText && !unplayableTypes.contains(name);
}

bool MovieFileTypes::isMovieSuffix(const std::string& suffix) {
    return !unplayableSuffixes.contains(suffix);
}

} // namespace vistrel
