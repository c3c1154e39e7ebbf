#pragma once

#include "core/media/Picture.h"

#include <string>
#include <utility>

namespace vistrel::test {

class FakePicture : public Picture {
  public:
    // Without a path: a picture held whole, as a movie frame is.
    explicit FakePicture(Size size, std::string path = {}, bool whole = true)
        : m_size(size), m_path(std::move(path)), m_whole(whole) {}
    Size extent() const override { return m_size; }
    std::string sourcePath() const override { return m_path; }
    bool holdsEveryStoredPixel() const override { return m_whole; }

  private:
    Size m_size;
    std::string m_path;
    bool m_whole;
};

} // namespace vistrel::test
