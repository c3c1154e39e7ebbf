#include "media/pictures/PixelMemory.h"

namespace vistrel::PixelMemory {

namespace {

thread_local Allocate* lent = nullptr;

} // namespace

Lend::Lend(Allocate allocate) : m_previous(lent), m_allocate(std::move(allocate)) {
    lent = &m_allocate;
}

Lend::~Lend() {
    lent = m_previous;
}

QImage imageFor(QSize size, QImage::Format format) {
    if (lent != nullptr)
        return (*lent)(size, format);
    return QImage(size, format);
}

} // namespace vistrel::PixelMemory
