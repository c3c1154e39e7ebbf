#include "media/AreaDownscaler.h"

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

} // namespace

bool AreaDownscaler::supports(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight) {
    if (targetWidth < 1 || targetHeight < 1 || targetWidth > sourceWidth || targetHeight > sourceHeight)
        return false;
    const auto columnUnits = std::uint64_t(sourceWidth) / std::gcd(sourceWidth, targetWidth);
    const auto rowUnits = std::uint64_t(sourceHeight) / std::gcd(sourceHeight, targetHeight);
    return columnUnits <= largestColumnUnits && columnUnits * rowUnits <= largestDivisor;
}

AreaDownscaler::AreaDownscaler(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight,
                               std::uint8_t* target, std::ptrdiff_t targetStride)
    : m_sourceHeight(sourceHeight), m_targetWidth(targetWidth), m_targetHeight(targetHeight), m_target(target),
      m_targetStride(targetStride) {
    const int commonX = std::gcd(sourceWidth, targetWidth);
    m_sourceUnitsX = std::uint32_t(targetWidth / commonX);
    m_targetUnitsX = std::uint32_t(sourceWidth / commonX);
    const int commonY = std::gcd(sourceHeight, targetHeight);
    m_sourceUnitsY = std::uint64_t(targetHeight / commonY);
    m_targetUnitsY = std::uint64_t(sourceHeight / commonY);
    m_divisor = std::uint64_t(m_targetUnitsX) * m_targetUnitsY;
    m_reciprocal = 1.0 / double(m_divisor);

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
    m_rowSums.assign(std::size_t(targetWidth) * channels, 0);
    m_accumulated.assign(std::size_t(targetWidth) * channels, 0);
}

void AreaDownscaler::addRow(const std::uint8_t* row) {
    if (m_rowsAdded >= m_sourceHeight)
        return;
    ++m_rowsAdded;
    sumRow(row);
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

void AreaDownscaler::sumRow(const std::uint8_t* row) {
    std::uint32_t* sums = m_rowSums.data();
    for (const Span& span : m_spans) {
        const std::uint8_t* pixel = row + std::ptrdiff_t(span.first) * channels;
        std::uint32_t whole[channels] = {};
        for (int i = 1; i <= span.whole; ++i)
            for (int c = 0; c < channels; ++c)
                whole[c] += pixel[i * channels + c];
        const std::uint8_t* last = pixel + std::ptrdiff_t(span.whole + 1) * channels;
        for (int c = 0; c < channels; ++c) {
            std::uint32_t sum = pixel[c] * span.firstWeight + whole[c] * m_sourceUnitsX;
            if (span.lastWeight != 0)
                sum += last[c] * span.lastWeight;
            sums[c] = sum;
        }
        sums += channels;
    }
}

void AreaDownscaler::accumulate(std::uint64_t weight) {
    const std::size_t count = m_accumulated.size();
    std::uint64_t* accumulated = m_accumulated.data();
    const std::uint32_t* sums = m_rowSums.data();
    for (std::size_t i = 0; i < count; ++i)
        accumulated[i] += sums[i] * weight;
}

void AreaDownscaler::writeTargetRow() {
    m_filledY = 0;
    if (m_targetRow >= m_targetHeight)
        return;
    std::uint8_t* out = m_target + m_targetStride * m_targetRow;
    const std::uint64_t half = m_divisor / 2;
    for (std::size_t i = 0; i < m_accumulated.size(); ++i) {
        // Rounded to nearest: the double quotient of these exact integers is at most
        // one off, which the integer comparison corrects.
        const std::uint64_t rounded = m_accumulated[i] + half;
        auto quotient = std::uint64_t(double(rounded) * m_reciprocal);
        if (quotient * m_divisor > rounded)
            --quotient;
        else if ((quotient + 1) * m_divisor <= rounded)
            ++quotient;
        out[i] = std::uint8_t(std::min<std::uint64_t>(quotient, largestSample));
    }
    std::fill(m_accumulated.begin(), m_accumulated.end(), 0);
    ++m_targetRow;
}

} // namespace vistrel
