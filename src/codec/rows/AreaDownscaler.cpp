#include "codec/rows/AreaDownscaler.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace vistrel {

namespace {

constexpr std::uint64_t largestSample = 255;
// A row sum is at most 255 times the units of one target column.
constexpr std::uint64_t largestColumnUnits = 0xFFFFFFFFull / largestSample;
// Well inside a double's exact integers, so the quotient estimate is off by one at most.
constexpr std::uint64_t largestDivisor = 1ull << 44;
// Below this divisor a target pixel's sums fit 32 bits (255 times the divisor), and
// dividing a rounded sum (below 256 times the divisor) by the divisor is multiplying
// by inverse = ceil(2^55 / divisor) and shifting: the product stays below 2^64, and
// the inverse's error, under 256 * divisor / 2^55 in the quotient, stays below
// 1 / divisor, too little to move the quotient past a whole number.
constexpr int inverseShift = 55;
constexpr std::uint64_t largestNarrowDivisor = 1ull << 23;

AreaDownscaler::Channels fourChannelsAt(const std::uint8_t* pixel) {
    return AreaDownscaler::Channels{pixel[0], pixel[1], pixel[2], pixel[3]};
}

AreaDownscaler::Channels opaqueBlueGreenRedAt(const std::uint8_t* pixel) {
    return AreaDownscaler::Channels{pixel[2], pixel[1], pixel[0], std::uint32_t(largestSample)};
}

} // namespace

bool AreaDownscaler::supports(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight) {
    if (targetWidth < 1 || targetHeight < 1 || targetWidth > sourceWidth || targetHeight > sourceHeight)
        return false;
    const auto columnUnits = std::uint64_t(sourceWidth) / std::gcd(sourceWidth, targetWidth);
    const auto rowUnits = std::uint64_t(sourceHeight) / std::gcd(sourceHeight, targetHeight);
    return columnUnits <= largestColumnUnits && columnUnits * rowUnits <= largestDivisor;
}

AreaDownscaler::AreaDownscaler(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight,
                               std::uint8_t* target, std::ptrdiff_t targetStride, SourceLayout layout)
    : m_layout(layout), m_sourceHeight(sourceHeight), m_targetWidth(targetWidth), m_targetHeight(targetHeight), m_target(target),
      m_targetStride(targetStride) {
    const int commonX = std::gcd(sourceWidth, targetWidth);
    m_sourceUnitsX = std::uint32_t(targetWidth / commonX);
    m_targetUnitsX = std::uint32_t(sourceWidth / commonX);
    const int commonY = std::gcd(sourceHeight, targetHeight);
    m_sourceUnitsY = std::uint64_t(targetHeight / commonY);
    m_targetUnitsY = std::uint64_t(sourceHeight / commonY);
    m_divisor = std::uint64_t(m_targetUnitsX) * m_targetUnitsY;
    m_reciprocal = 1.0 / double(m_divisor);
    m_inverse = ((1ull << inverseShift) + m_divisor - 1) / m_divisor;

    m_spans.resize(std::size_t(targetWidth));
    for (int x = 0; x < targetWidth; ++x) {
        const std::uint64_t begin = std::uint64_t(x) * m_targetUnitsX;
        const std::uint64_t end = begin + m_targetUnitsX;
        Span& span = m_spans[std::size_t(x)];
        span.first = int(begin / m_sourceUnitsX);
        const std::uint64_t firstEnd = std::min(end, std::uint64_t(span.first + 1) * m_sourceUnitsX);
        span.firstWeight = std::uint32_t(firstEnd - begin);
        const std::uint64_t wholeEnd = end / m_sourceUnitsX; // source pixels that end by `end`
        span.whole = int(wholeEnd > std::uint64_t(span.first) + 1 ? wholeEnd - std::uint64_t(span.first) - 1 : 0);
        span.lastWeight = std::uint32_t(end - std::max(firstEnd, (std::uint64_t(span.first) + 1 + std::uint64_t(span.whole)) * m_sourceUnitsX));
    }
    m_rowSums.assign(std::size_t(targetWidth), Channels{});
    if (narrow())
        m_narrowAccumulated.assign(std::size_t(targetWidth), Channels{});
    else
        m_accumulated.assign(std::size_t(targetWidth) * channels, 0);
}

void AreaDownscaler::addRow(const std::uint8_t* row) {
    if (m_rowsAdded >= m_sourceHeight)
        return;
    ++m_rowsAdded;
    if (m_layout == SourceLayout::redGreenBlue)
        sumRow<3>(row, opaqueBlueGreenRedAt);
    else
        sumRow<channels>(row, fourChannelsAt);
    // A source row is never taller than a target row: it lies in one, or straddles two.
    std::uint64_t remaining = m_sourceUnitsY;
    while (remaining > 0) {
        const std::uint64_t weight = std::min(remaining, m_targetUnitsY - m_filledY);
        accumulate(weight);
        remaining -= weight;
        m_filledY += weight;
        if (m_filledY == m_targetUnitsY)
            writeTargetRow();
    }
}

template <int bytesPerPixel, typename Load>
void AreaDownscaler::sumRow(const std::uint8_t* row, Load load) {
    Channels* sums = m_rowSums.data();
    for (const Span& span : m_spans) {
        const std::uint8_t* pixel = row + std::ptrdiff_t(span.first) * bytesPerPixel;
        Channels whole = {};
        for (int i = 1; i <= span.whole; ++i)
            whole += load(pixel + i * bytesPerPixel);
        Channels sum = load(pixel) * span.firstWeight + whole * m_sourceUnitsX;
        if (span.lastWeight != 0)
            sum += load(pixel + std::ptrdiff_t(span.whole + 1) * bytesPerPixel) * span.lastWeight;
        *sums++ = sum;
    }
}

void AreaDownscaler::accumulate(std::uint64_t weight) {
    if (narrow()) {
        Channels* accumulated = m_narrowAccumulated.data();
        const auto narrowWeight = std::uint32_t(weight);
        for (const Channels& sum : m_rowSums)
            *accumulated++ += sum * narrowWeight;
        return;
    }
    std::uint64_t* accumulated = m_accumulated.data();
    for (const Channels& sum : m_rowSums) {
        for (int c = 0; c < channels; ++c)
            accumulated[c] += sum[c] * weight;
        accumulated += channels;
    }
}

void AreaDownscaler::writeTargetRow() {
    m_filledY = 0;
    if (m_targetRow >= m_targetHeight)
        return;
    std::uint8_t* out = m_target + m_targetStride * m_targetRow;
    const std::uint64_t half = m_divisor / 2;
    if (narrow()) {
        for (const Channels& sums : m_narrowAccumulated)
            for (int c = 0; c < channels; ++c)
                *out++ = std::uint8_t(((sums[c] + half) * m_inverse) >> inverseShift);
        std::fill(m_narrowAccumulated.begin(), m_narrowAccumulated.end(), Channels{});
    } else {
        for (const std::uint64_t sum : m_accumulated)
            *out++ = std::uint8_t(std::min<std::uint64_t>(quotient(sum + half), largestSample));
        std::fill(m_accumulated.begin(), m_accumulated.end(), 0);
    }
    ++m_targetRow;
}

bool AreaDownscaler::narrow() const {
    return m_divisor < largestNarrowDivisor;
}

// The double quotient of these exact integers is at most one off, which the integer
// comparison corrects.
std::uint64_t AreaDownscaler::quotient(std::uint64_t dividend) const {
    auto result = std::uint64_t(double(dividend) * m_reciprocal);
    if (result * m_divisor > dividend)
        --result;
    else if ((result + 1) * m_divisor <= dividend)
        ++result;
    return result;
}

} // namespace vistrel
