#include "movies/MpvSoftwareRender.h"

#include "movies/Bgr0Frame.h"
#include "movies/MpvLog.h"

#include <mpv/render.h>

namespace vistrel {

bool MpvSoftwareRender::into(mpv_render_context* context, QImage& image, bool waitForTargetTime) {
    if (context == nullptr || image.isNull() || image.format() != QImage::Format_RGB32)
        return false;
    int surfaceSize[2] = {image.width(), image.height()};
    char format[] = "bgr0";
    auto stride = static_cast<std::size_t>(image.bytesPerLine());
    int block = waitForTargetTime ? 1 : 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, surfaceSize},
        {MPV_RENDER_PARAM_SW_FORMAT, format},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, image.bits()},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (!MpvLog::succeeded(mpv_render_context_render(context, params), "render", "frame"))
        return false;
    Bgr0Frame::makeOpaque(image);
    return true;
}

} // namespace vistrel
