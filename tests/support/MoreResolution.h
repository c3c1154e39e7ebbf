#pragma once

#include "core/media/Picture.h"
#include "core/media/PictureService.h"
#include "media/pictures/PictureImage.h"

#include <QSize>
#include <memory>

namespace vistrel::test {

// What a view shows once it needs `needed` pixels (stored orientation) of `picture`: the
// same picture when it covers that already, otherwise a new one decoded at the step the
// view asks for; nullptr when that decode failed or gave no more pixels.
inline std::shared_ptr<Picture> withResolution(PictureService& service, std::shared_ptr<Picture> picture,
                                               QSize needed) {
    const QSize step = picture->pixels()->decodeSizeFor(needed);
    if (!step.isValid())
        return picture;
    std::shared_ptr<Picture> more =
        service.decodeFirstImage(picture->pixels()->path(), Size{float(step.width()), float(step.height())}).picture;
    if (!more || !picture->pixels()->isLargerDecodeOfSame(*more->pixels()))
        return nullptr;
    return more;
}

} // namespace vistrel::test
