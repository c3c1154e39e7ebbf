// The steps by which a picture shown larger than it was decoded for is decoded again.
// Kept apart from the picture itself, which the movie module also builds for its frames
// without the picture decoders.
#include "media/pictures/PictureImage.h"

#include "media/pictures/PictureDecoder.h"

namespace vistrel {

QSize PictureImage::decodeSizeFor(QSize needed) const {
    if (covers(needed) || m_path.empty())
        return {};
    return decodingStep(needed.boundedTo(m_storedSize));
}

// One pixel of slack: a scaled decode rounds its sides.
bool PictureImage::covers(QSize needed) const {
    const QSize target = needed.boundedTo(m_storedSize);
    return m_image.width() + 1 >= target.width() && m_image.height() + 1 >= target.height();
}

QSize PictureImage::decodingStep(QSize target) const {
    // The JPEG decoder scales by 1/8, 1/4 and 1/2 natively. Decoding at the smallest of
    // those steps that covers `target`, or at full size, rather than at `target` itself
    // keeps zooming in to a few decodes, and spares the decoder a second resampling.
    // Rounding the step's sides down lets the decoder pick exactly that scale.
    constexpr int coarsestStepShift = 3;
    for (int shift = coarsestStepShift; shift > 0; --shift) {
        const QSize step = QSize(m_storedSize.width() >> shift, m_storedSize.height() >> shift);
        if (step.width() >= target.width() && step.height() >= target.height())
            return step;
    }
    if (PictureDecoder::fitsAllocationLimit(m_storedSize))
        return m_storedSize;
    // Too large to hold whole: just what is needed, scaled up to the stored aspect so
    // that it covers `target` on both axes.
    return m_storedSize.scaled(target, Qt::KeepAspectRatioByExpanding).boundedTo(m_storedSize);
}

} // namespace vistrel
