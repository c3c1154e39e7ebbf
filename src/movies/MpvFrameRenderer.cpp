#include "movies/MpvFrameRenderer.h"

#include "movies/MpvMovie.h"
#include "movies/MpvSoftwareRender.h"

#include <cstdlib>
#include <mpv/render.h>
#include <stdexcept>
#include <utility>

namespace vistrel {

namespace {

// mpv's software renderer works fastest on lines and buffers aligned for SIMD.
constexpr std::size_t lineAlignment = 64;
constexpr std::size_t bytesPerPixel = 4;

// An RGB32 image over a buffer aligned for mpv; the image frees the buffer.
QImage alignedImage(QSize size) {
    const std::size_t stride = (static_cast<std::size_t>(size.width()) * bytesPerPixel + lineAlignment - 1) /
                               lineAlignment * lineAlignment;
    void* buffer = std::aligned_alloc(lineAlignment, stride * static_cast<std::size_t>(size.height()));
    if (buffer == nullptr)
        return {};
    return QImage(
        static_cast<uchar*>(buffer), size.width(), size.height(), static_cast<qsizetype>(stride),
        QImage::Format_RGB32, [](void* data) { std::free(data); }, buffer);
}

} // namespace

MpvFrameRenderer::MpvFrameRenderer(MpvMovie& movie)
    : m_movie(movie.weak_from_this()), m_player(movie.player().shared_from_this()), m_load(movie.load()),
      m_hasVideo(movie.hasVideo()) {
    if (m_player->renderContext() == nullptr)
        throw std::runtime_error("the movie has no software render context");
}

MpvFrameRenderer::~MpvFrameRenderer() {
    // The player serialises this with its render thread's notifications: none reaches
    // this renderer's callback after it returns.
    m_player->clearFrameReady(this);
}

void MpvFrameRenderer::setFrameReadyCallback(std::function<void()> callback) {
    m_player->setFrameReady(this, m_load, std::move(callback));
}

bool MpvFrameRenderer::drawsNow() const {
    return m_hasVideo && !m_movie.expired() && m_player->isShown(m_load);
}

// The caller keeps the frame returned last until it has the next one, so frames
// alternate between two buffers.
QImage& MpvFrameRenderer::unsharedBuffer(QSize size) {
    for (QImage& buffer : m_buffers) {
        if (buffer.size() == size && buffer.isDetached())
            return buffer;
    }
    QImage& oldest = m_buffers[m_next];
    m_next = (m_next + 1) % m_buffers.size();
    oldest = alignedImage(size);
    return oldest;
}

QImage MpvFrameRenderer::render(QSize size) {
    if (size.isEmpty() || !drawsNow())
        return {};
    QImage& image = unsharedBuffer(size);
    if (image.isNull())
        return {};
    // Acknowledges the update so mpv goes on reporting new frames.
    mpv_render_context_update(m_player->renderContext());
    if (!MpvSoftwareRender::into(m_player->renderContext(), image, true))
        return {};
    return image;
}

} // namespace vistrel
