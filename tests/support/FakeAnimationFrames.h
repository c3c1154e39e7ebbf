#pragma once

#include "FakePicture.h"
#include "core/media/AnimationFrames.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace vistrel::test {

// An animation's script: each frame's delay, where the file is damaged, how often it plays.
struct AnimationScript {
    std::vector<int> delaysMilliseconds;
    std::optional<std::size_t> damagedAt; // this frame and every later one fail
    std::optional<int> plays;             // nullopt: for ever
    Size size{320.0f, 240.0f};
};

// Frames after a script, each a new picture; counts how many it decoded.
class FakeAnimationFrames : public AnimationFrames {
  public:
    FakeAnimationFrames(AnimationScript script, std::shared_ptr<std::size_t> decodedCount)
        : m_script(std::move(script)), m_decoded(std::move(decodedCount)) {}

    std::optional<int> plays() const override { return m_script.plays; }
    AnimationStep next() override {
        if (m_script.damagedAt && m_next >= *m_script.damagedAt)
            return {AnimationStep::Kind::damaged, nullptr, 0};
        if (m_next >= m_script.delaysMilliseconds.size())
            return {};
        ++*m_decoded;
        return {AnimationStep::Kind::frame, std::make_shared<FakePicture>(m_script.size),
                m_script.delaysMilliseconds[m_next++]};
    }
    bool rewind() override {
        m_next = 0;
        return true;
    }

  private:
    AnimationScript m_script;
    std::shared_ptr<std::size_t> m_decoded;
    std::size_t m_next = 0;
};

} // namespace vistrel::test
