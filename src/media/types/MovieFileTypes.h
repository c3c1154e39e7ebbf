#pragma once

#include "media/types/MimeSuffixes.h"

#include <string>
#include <vector>

namespace vistrel {

// The suffixes of files the movie player takes: those of the audio and video MIME
// types, rather than libavformat's extension lists, which both miss common suffixes
// and list subtitle and text files.
class MovieFileTypes {
  public:
    // From the installed MIME database.
    static std::vector<std::string> installed();
    static std::vector<std::string> from(const MimeSuffixes& database);

    // Whether files of the type `name` play as movies; `isText` when the type derives
    // from text/plain (such a file is a list of other files).
    static bool isMovieType(const std::string& name, bool isText);
    // False for a suffix some audio or video type claims for files that show nothing.
    static bool isMovieSuffix(const std::string& suffix);
};

} // namespace vistrel
