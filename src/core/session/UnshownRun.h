#pragma once

#include <cstddef>

namespace vistrel {

// Counts the items in a row a slide show could not show. The show passes over such an
// item like any other; when a whole round of the list went by with nothing shown, it
// ends instead of cycling for ever through a list of broken files.
class UnshownRun {
  public:
    void restart() { m_unshown = 0; }
    void shown() { m_unshown = 0; }
    // Notes one more item not shown; true when that completes a round of `listSize`.
    bool completesRound(std::size_t listSize) { return ++m_unshown >= listSize; }

  private:
    std::size_t m_unshown = 0;
};

} // namespace vistrel
