#pragma once

#include <string>

namespace vistrel {

// The fading text over the screen. A new message replaces the old one at once.
class StatusOverlay {
public:
    virtual ~StatusOverlay() = default;

    virtual void showText(const std::string& text, double duration) = 0;
    // Shows `text` followed by `percent` truncated toward zero and " %".
    virtual void showPercent(double percent, const std::string& text, double duration) = 0;
};

} // namespace vistrel
