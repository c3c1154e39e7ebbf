#pragma once

#include <QImage>
#include <QSize>
#include <functional>

namespace vistrel {

// Where our own decoders put a picture's final pixels: the heap, unless the thread that
// decodes has been lent other memory. The decoder helper lends memory it can hand to
// the viewer as it is, so that the pixels are written once, where they are shown from.
namespace PixelMemory {

using Allocate = std::function<QImage(QSize size, QImage::Format format)>;

// While it lives, imageFor() on this thread makes its images with `allocate`.
class Lend {
  public:
    explicit Lend(Allocate allocate);
    ~Lend();
    Lend(const Lend&) = delete;
    Lend& operator=(const Lend&) = delete;

  private:
    Allocate* m_previous;
    Allocate m_allocate;
};

// A new image of `size` and `format`, uninitialised; null when there is no memory.
QImage imageFor(QSize size, QImage::Format format);

} // namespace PixelMemory

} // namespace vistrel
