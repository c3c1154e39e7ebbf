#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vistrel {

// Shrinks a picture that arrives one row at a time into a smaller one, so that a
// decoder can hand over each row as soon as it has it and the full-size picture is
// never held. Every target pixel is the area average of the source pixels it covers,
// with exact fractional weights where the ratio is no whole number, rounded to the
// nearest value. Pixels are four 8-bit channels, each averaged on its own: alpha
// pictures must come premultiplied, or their colours bleed from transparent pixels.
class AreaDownscaler {
  public:
    static constexpr int channels = 4;
    // One pixel's four channels, summed side by side.
    using Channels = std::uint32_t __attribute__((vector_size(16)));

    // True when rows of `sourceWidth` fold into `targetWidth` (and heights likewise)
    // without overflowing the sums: the target is no larger on either axis, and the
    // sides are positive and within what the accumulators hold.
    static bool supports(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight);

    // How source rows lie: four channels per pixel as the target has them, or three
    // bytes red, green, blue, folded into blue, green, red and opaque alpha (the byte
    // order of 32-bit images), which spares a decoder expanding every row first.
    enum class SourceLayout { fourChannels, redGreenBlue };

    // `target` holds targetHeight rows of targetWidth pixels, `targetStride` bytes
    // apart; it must stay valid while rows are added. Requires supports().
    AreaDownscaler(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight, std::uint8_t* target,
                   std::ptrdiff_t targetStride, SourceLayout layout = SourceLayout::fourChannels);

    // Folds the next source row (sourceWidth pixels) in; rows beyond the source
    // height are ignored. A target row is written as soon as its last source row is in.
    void addRow(const std::uint8_t* row);

    int rowsAdded() const { return m_rowsAdded; }
    // Target rows written so far.
    int rowsWritten() const { return m_targetRow; }

  private:
    // One target column: its first source pixel with that pixel's weight, the whole
    // pixels after it, and the weight of the last, partly covered one (0 when none).
    struct Span {
        int first = 0;
        std::uint32_t firstWeight = 0;
        int whole = 0;
        std::uint32_t lastWeight = 0;
    };

    template <int bytesPerPixel, typename Load>
    void sumRow(const std::uint8_t* row, Load load);
    void accumulate(std::uint64_t weight);
    void writeTargetRow();
    std::uint64_t quotient(std::uint64_t dividend) const;
    // Whether sums of one target pixel fit 32 bits and divide by a multiplication.
    bool narrow() const;

    SourceLayout m_layout;
    int m_sourceHeight;
    int m_targetWidth;
    int m_targetHeight;
    std::uint8_t* m_target;
    std::ptrdiff_t m_targetStride;

    // Positions are counted in units that divide both source and target pixels:
    // a source pixel is m_sourceUnits* wide, a target pixel m_targetUnits* wide.
    std::uint32_t m_sourceUnitsX;
    std::uint32_t m_targetUnitsX;
    std::uint64_t m_sourceUnitsY;
    std::uint64_t m_targetUnitsY;
    std::uint64_t m_divisor; // the total weight of one target pixel
    double m_reciprocal;
    std::uint64_t m_inverse;

    std::vector<Span> m_spans;
    std::vector<Channels> m_rowSums;          // the current source row, summed per target column
    // The current target row so far: in 32 bits when narrow(), otherwise in 64.
    std::vector<Channels> m_narrowAccumulated;
    std::vector<std::uint64_t> m_accumulated;
    int m_rowsAdded = 0;
    int m_targetRow = 0;
    std::uint64_t m_filledY = 0; // units of the current target row covered so far
};

} // namespace vistrel
