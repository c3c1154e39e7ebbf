#pragma once

#include <memory>
#include <utility>

namespace vistrel {

class Movie;

// The movie on screen, or none. The showing session puts it here; playback, placement
// and capture work on it. Dropped as soon as another item is asked for, while the view
// may still show the old one until the new item arrives.
class ShownMovie {
  public:
    const std::shared_ptr<Movie>& get() const { return m_movie; }
    void set(std::shared_ptr<Movie> movie) { m_movie = std::move(movie); }
    void reset() { m_movie.reset(); }

  private:
    std::shared_ptr<Movie> m_movie;
};

} // namespace vistrel
