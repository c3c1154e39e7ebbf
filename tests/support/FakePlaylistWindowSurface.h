#pragma once

#include "core/playlist/PlaylistWindowSurface.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vistrel::test {

class FakePlaylistWindowSurface : public PlaylistWindowSurface {
  public:
    void selectRow(std::size_t row) override { selected = row; }
    void scrollRowToVisible(std::size_t row) override { scrolledTo.push_back(row); }
    void setInfoText(const std::string& text) override { infoTexts.push_back(text); }
    void setAlphaValue(float value) override { alpha = value; }

    std::optional<std::size_t> selected;
    std::vector<std::size_t> scrolledTo;
    std::vector<std::string> infoTexts;
    std::optional<float> alpha;
};

} // namespace vistrel::test
