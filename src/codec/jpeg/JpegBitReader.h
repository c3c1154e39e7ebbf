#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace vistrel {

// Reads the entropy-coded data of a JPEG scan bit by bit from any byte of the file
// on: the stuffed zero after each 0xFF byte, and any fill 0xFF bytes before it, are
// dropped as the bytes are read, in chunks, and the data ends at the first marker or
// the file's end, after which zero
// bits follow. Positions count bits of the data with the stuffing removed, from the
// byte the reader started at.
class JpegBitReader {
  public:
    // Copies up to `count` bytes of the file from `offset` into `into`; how many it
    // copied, 0 at the end or on failure.
    using FileRead = std::function<std::size_t(std::uint64_t offset, std::uint8_t* into, std::size_t count)>;

    // `watch` is a file offset whose position the reader notes as it passes it
    // (see positionAtWatch()).
    JpegBitReader(FileRead read, std::uint64_t start, std::uint64_t watch, std::size_t chunkSize = 256 * 1024);

    // The next bits, from the top down, and how many of them are valid. Decoders keep
    // them in a local value of their own, which lets the compiler keep them in
    // registers, and hand them back to the reader to be filled.
    struct Bits {
        std::uint64_t word = 0;
        int count = 0;
    };

    // `bits` with at least 32 valid.
    Bits filled(Bits bits) {
        if (bits.count >= 32)
            return bits;
        if (m_data.size() - m_next < wordBytes)
            readMore();
        // Whole bytes into the free low bits; the bits loaded below the count are the
        // data's next ones, so loading them again later changes nothing.
        bits.word |= loadBigEndian(m_data.data() + m_next) >> bits.count;
        m_next += std::size_t(63 - bits.count) >> 3;
        bits.count |= 56;
        return bits;
    }
    static std::uint32_t peek(Bits bits, int count) { return std::uint32_t(bits.word >> (64 - count)); }
    static void skip(Bits& bits, int count) {
        bits.word <<= count;
        bits.count -= count;
    }
    // The next `count` bits (0 to 16) in the low bits, taken; `bits` must be filled.
    static std::uint32_t take(Bits& bits, int count) {
        if (count == 0)
            return 0;
        const std::uint32_t taken = peek(bits, count);
        skip(bits, count);
        return taken;
    }

    // The position of the next of `bits`, read from this reader.
    std::uint64_t position(Bits bits) const { return (m_bufferStart + m_next) * 8 - std::uint64_t(bits.count); }
    // True once the position has gone past the last bit of data. A decoder that is just
    // at its end still decodes its next unit from zero bits, as the reference decoder
    // does: it finds the data missing only when it needs a bit.
    bool exhausted(Bits bits) const { return m_ended && position(bits) > m_dataEnd * 8; }
    // The position the watched offset has, once the reader has read past it.
    bool passedWatch() const { return m_watchPassed; }
    std::uint64_t positionAtWatch() const { return m_positionAtWatch * 8; }

  private:
    static constexpr std::size_t wordBytes = 8;

    static std::uint64_t loadBigEndian(const std::uint8_t* bytes) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes, sizeof word);
        return __builtin_bswap64(word);
    }
    // At least a word of data from m_next on, or zeros past its end.
    void readMore();
    void readChunk();
    void destuff(const std::uint8_t* bytes, std::size_t count);

    FileRead m_read;
    std::uint64_t m_fileOffset;
    std::uint64_t m_watch;
    std::size_t m_chunkSize;
    std::vector<std::uint8_t> m_raw;
    std::vector<std::uint8_t> m_data; // destuffed bytes, then zeros once the data ended
    std::size_t m_next = 0;           // first byte of m_data not yet handed out in bits
    std::uint64_t m_bufferStart = 0;  // position of m_data[0], in bytes
    bool m_ended = false;
    std::uint64_t m_dataEnd = 0; // bytes of data in all, once ended
    bool m_watchPassed = false;
    std::uint64_t m_positionAtWatch = 0;
    bool m_pendingMarker = false; // a chunk ended on 0xFF, whose next byte says what it is
};

} // namespace vistrel
