#pragma once

#include "core/media/Picture.h"

namespace vistrel::test {

class FakePicture : public Picture {
  public:
    explicit FakePicture(Size size) : m_size(size) {}
    Size extent() const override { return m_size; }

  private:
    Size m_size;
};

} // namespace vistrel::test
