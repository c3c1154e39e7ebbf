#pragma once

#include <cstddef>
#include <string>

namespace vistrel {

// What the play list window's logic asks of the window on screen. The rows are
// those of the play list store, which the window's table shows in order.
class PlaylistWindowSurface {
public:
    virtual ~PlaylistWindowSurface() = default;
    // Makes `row` the table's only selected row.
    virtual void selectRow(std::size_t row) = 0;
    virtual void scrollRowToVisible(std::size_t row) = 0;
    // Replaces the whole information text below the table.
    virtual void setInfoText(const std::string& text) = 0;
    // The window's opacity, 0 to 1.
    virtual void setAlphaValue(float alpha) = 0;
};

} // namespace vistrel
