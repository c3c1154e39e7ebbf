#pragma once

#include <cstdint>
#include <optional>

namespace vistrel {

// The arithmetic of the handle between the play list table (upper pane) and the
// information text (lower pane). Frames are in window coordinates with the origin
// at the lower left and y growing upwards, all in 32-bit floats.
class DividerDrag {
public:
    struct Frame {
        float x = 0.0f;
        float y = 0.0f;
        float width = 0.0f;
        float height = 0.0f;
        float top() const { return y + height; }
        friend bool operator==(const Frame&, const Frame&) = default;
    };
    struct Frames {
        Frame handle;
        Frame upper;
        Frame lower;
        friend bool operator==(const Frames&, const Frames&) = default;
    };

    // No drag may leave a pane lower than this; exactly this much is allowed.
    static constexpr float minimumPaneHeight = 16.0f;
    static constexpr std::int32_t unmeasured = -1;

    // The press on the handle: takes the frames as they are now and, on the very
    // first press, measures the gap D between the upper pane's top and the window's top.
    void press(const Frames& frames, float windowHeight);
    // A drag event at pointer height y: the frames to apply. The first event after a
    // press only sets the reference; moving beyond a limit moves nothing, and the
    // reference still follows the pointer so moving back moves at once.
    Frames dragTo(float y, float windowHeight);
    bool dragging() const { return m_dragging; }
    void release() { m_dragging = false; }

    // The upper pane cut back so its top stays D below the window's top.
    Frame keptInside(Frame upper, float windowHeight) const;

    std::int32_t tableViewDistance() const { return m_tableViewDistance; }

private:
    std::int32_t m_tableViewDistance = unmeasured;
    Frames m_frames;
    std::optional<float> m_reference;
    bool m_dragging = false;
};

} // namespace vistrel
