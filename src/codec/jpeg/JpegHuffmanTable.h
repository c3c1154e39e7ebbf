#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace vistrel {

// One Huffman table of a JPEG scan, laid out for decoding: codes of up to
// `lookaheadBits` are found by one look-up of the next bits, longer ones by the
// canonical code ranges of each length.
class JpegHuffmanTable {
  public:
    static constexpr int lookaheadBits = 10;
    static constexpr int longestCode = 16;
    static constexpr int badCodeLength = longestCode + 1;

    // `counts[l]` codes of length l (1 to 16; counts[0] is unused) for `symbols` in
    // order, as a DHT segment lists them. nullopt when the lengths overflow the code
    // space, or list more symbols than given. `largestSymbol` bounds the symbols: a
    // DC table's are bit counts of at most 15.
    static std::optional<JpegHuffmanTable> build(std::span<const std::uint8_t, 17> counts,
                                                 std::span<const std::uint8_t> symbols, int largestSymbol = 255);

    struct Entry {
        std::uint8_t length = 0; // 0: the code is longer than the look-ahead
        std::uint8_t symbol = 0;
    };

    // What the next `lookaheadBits` bits start with.
    Entry lookahead(std::uint32_t bits) const { return m_lookahead[bits]; }

    // For an AC table, how far a coefficient's code and value bits together take the
    // reader, and the coefficient index within its block: all a decoder needs to
    // step over a coefficient it does not use. 0 bits when the code is longer than
    // the look-ahead.
    struct Step {
        std::uint8_t bits = 0;
        std::uint8_t advance = 0; // 64 at the end of the block
    };
    Step step(std::uint32_t bits) const { return m_steps[bits]; }
    static Step stepOf(Entry entry);

    // For an AC table, a coefficient whose code and value bits both lie within the
    // look-ahead, decoded at once: the zeros before it, and its value. 0 bits for
    // anything else, the end of the block and runs of sixteen zeros included.
    struct Coefficient {
        std::int16_t value = 0;
        std::uint8_t bits = 0;
        std::uint8_t run = 0;
    };
    Coefficient coefficient(std::uint32_t bits) const { return m_coefficients[bits]; }

    // The symbol of a code longer than the look-ahead in the top bits of `bits`, and
    // its length; a code no symbol has counts as symbol 0, seventeen bits long, as the
    // reference decoder reads it (it takes bits until it has passed the longest code).
    Entry decodeLong(std::uint64_t bits) const;

    // A value's `size` bits as the signed number they stand for.
    static std::int32_t extendedValue(std::uint32_t bits, int size) {
        if (size == 0)
            return 0;
        return bits < (std::uint32_t(1) << (size - 1)) ? std::int32_t(bits) - (std::int32_t(1) << size) + 1
                                                       : std::int32_t(bits);
    }

  private:
    static Coefficient coefficientOf(Entry entry, std::uint32_t bits);

    std::array<Entry, std::size_t(1) << lookaheadBits> m_lookahead{};
    std::array<Step, std::size_t(1) << lookaheadBits> m_steps{};
    std::array<Coefficient, std::size_t(1) << lookaheadBits> m_coefficients{};
    // For each length, the largest code plus one (0 when none), and where its
    // symbols start among m_symbols less its first code.
    std::array<std::uint32_t, longestCode + 1> m_codesEnd{};
    std::array<std::int32_t, longestCode + 1> m_symbolOffset{};
    std::array<std::uint8_t, 256> m_symbols{};
};

} // namespace vistrel
