#include "media/MpvFrameRenderer.h"

#include "media/MpvMovie.h"
#include "media/MpvSoftwareRender.h"

#include <array>
#include <cstdlib>
#include <mpv/render.h>
#include <mutex>
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

struct MpvFrameRenderer::Impl {
    // The movie is open, so its tracks are chosen: a sound-only movie stays without
    // pictures for as long as it is rendered.
    explicit Impl(MpvMovie& renderedMovie)
        : movie(renderedMovie.weak_from_this()), context(renderedMovie.renderContext()),
          hasVideo(renderedMovie.hasVideo()) {}

    // A buffer of `size` that nobody but the renderer holds: the caller keeps the frame
    // returned last until it has the next one, so frames alternate between two buffers.
    QImage& unsharedBuffer(QSize size) {
        for (QImage& buffer : buffers) {
            if (buffer.size() == size && buffer.isDetached())
                return buffer;
        }
        QImage& oldest = buffers[next];
        next = (next + 1) % buffers.size();
        oldest = alignedImage(size);
        return oldest;
    }

    // Called on one of mpv's threads, under mpv's own lock for this callback.
    static void onUpdate(void* self) {
        auto* impl = static_cast<Impl*>(self);
        const std::lock_guard lock(impl->callbackMutex);
        if (impl->frameReady)
            impl->frameReady();
    }

    // The movie owns `context`: once the movie is gone, so is the context, and the
    // renderer draws nothing.
    std::weak_ptr<MpvMovie> movie;
    mpv_render_context* context;
    bool hasVideo;
    std::array<QImage, 2> buffers;
    std::size_t next = 0;
    std::mutex callbackMutex;
    std::function<void()> frameReady;
};

MpvFrameRenderer::MpvFrameRenderer(MpvMovie& movie) : m_impl(std::make_unique<Impl>(movie)) {
    if (m_impl->context == nullptr)
        throw std::runtime_error("the movie has no software render context");
    mpv_render_context_set_update_callback(m_impl->context, &Impl::onUpdate, m_impl.get());
}

MpvFrameRenderer::~MpvFrameRenderer() {
    // mpv serialises this with running callbacks: none runs after it returns. A movie
    // that went first has cleared the callback itself.
    if (!m_impl->movie.expired())
        mpv_render_context_set_update_callback(m_impl->context, nullptr, nullptr);
}

void MpvFrameRenderer::setFrameReadyCallback(std::function<void()> callback) {
    const std::lock_guard lock(m_impl->callbackMutex);
    m_impl->frameReady = std::move(callback);
}

QImage MpvFrameRenderer::render(QSize size) {
    const std::shared_ptr<MpvMovie> movie = m_impl->movie.lock();
    if (size.isEmpty() || !movie || !m_impl->hasVideo)
        return {};
    QImage& image = m_impl->unsharedBuffer(size);
    if (image.isNull())
        return {};
    // Acknowledges the update so mpv goes on reporting new frames.
    mpv_render_context_update(m_impl->context);
    if (!MpvSoftwareRender::into(m_impl->context, image, true))
        return {};
    return image;
}

} // namespace vistrel
