#include "core/playlist/DividerDrag.h"

namespace vistrel {

void DividerDrag::press(const Frames& frames, float windowHeight) {
    m_frames = frames;
    if (m_tableViewDistance == unmeasured)
        m_tableViewDistance = static_cast<std::int32_t>(windowHeight - frames.upper.top());
    m_reference.reset();
    m_dragging = true;
}

DividerDrag::Frame DividerDrag::keptInside(Frame upper, float windowHeight) const {
    const auto distance = static_cast<float>(m_tableViewDistance);
    if (upper.top() > windowHeight - distance)
        upper.height = windowHeight - upper.y - distance;
    return upper;
}

DividerDrag::Frames DividerDrag::dragTo(float y, float windowHeight) {
    const float reference = m_reference.value_or(y);
    float dy = y - reference;
    Frame& upper = m_frames.upper;
    Frame& lower = m_frames.lower;
    upper = keptInside(upper, windowHeight);
    float upperHeight = upper.height - dy;
    float lowerHeight = lower.height + dy;
    if (upperHeight < minimumPaneHeight || lowerHeight < minimumPaneHeight) {
        dy = 0.0f;
        upperHeight = upper.height;
        lowerHeight = lower.height;
    }
    upper.y += dy;
    upper.height = upperHeight;
    lower.height = lowerHeight;
    m_frames.handle.y += dy;
    m_reference = y;
    return m_frames;
}

} // namespace vistrel
