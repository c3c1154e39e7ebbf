#pragma once

#include "MediaFixtures.h"
#include "core/media/Movie.h"

#include <memory>
#include <string>

namespace vistrel::test {

// Opens `path` through `opener` (a movie service or engine, which answer later) and
// runs the event loop until the answer comes: the movie, or nullptr. The answer may
// come after a timed-out wait; it then lands in state the callback owns.
template <class Opener> std::shared_ptr<Movie> openedMovie(Opener& opener, const std::string& path) {
    struct Answer {
        bool given = false;
        std::shared_ptr<Movie> movie;
    };
    auto answer = std::make_shared<Answer>();
    opener.openMovie(path, [answer](std::shared_ptr<Movie> movie) {
        answer->movie = std::move(movie);
        answer->given = true;
    });
    waitUntil([&] { return answer->given; });
    return std::move(answer->movie);
}

} // namespace vistrel::test
