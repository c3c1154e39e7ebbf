#pragma once

#include "core/platform/StatusOverlay.h"

#include <optional>
#include <vector>

namespace vistrel::test {

class FakeStatusOverlay : public StatusOverlay {
  public:
    struct Message {
        std::string text;
        std::optional<double> percent; // set for showPercent
        double duration;
    };

    void showText(const std::string& text, double duration) override {
        messages.push_back({text, std::nullopt, duration});
    }
    void showPercent(double percent, const std::string& text, double duration) override {
        messages.push_back({text, percent, duration});
    }

    const Message& last() const { return messages.back(); }
    // What the overlay would read for the last message.
    std::string lastShown() const {
        const Message& m = last();
        return m.percent ? m.text + std::to_string(static_cast<long long>(*m.percent)) + " %" : m.text;
    }

    std::vector<Message> messages;
};

} // namespace vistrel::test
