#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vistrel {

// Reads the entropy-coded data of a JPEG scan bit by bit from any byte of the file
// on: the stuffed zero after each 0xFF byte is dropped as the bytes are read, in
// chunks, and the data ends at the first marker or the file's end, after which zero
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

    // The next `count` bits (1 to 32) in the low bits, without taking them.
    std::uint32_t peek(int count) {
        ensure();
        return std::uint32_t(m_bits >> (64 - count));
    }
    // The next 64 bits, at least 32 of which are valid.
    std::uint64_t window() {
        ensure();
        return m_bits;
    }
    void skip(int count) {
        m_bits <<= count;
        m_count -= count;
    }
    std::uint32_t take(int count) {
        if (count == 0)
            return 0;
        const std::uint32_t bits = peek(count);
        skip(count);
        return bits;
    }

    std::uint64_t position() const { return (m_bufferStart + m_next) * 8 - std::uint64_t(m_count); }
    // True once the position has passed the last bit of data.
    bool exhausted() const { return m_ended && position() >= m_dataEnd * 8; }
    // The position the watched offset has, once the reader has read past it.
    bool passedWatch() const { return m_watchPassed; }
    std::uint64_t positionAtWatch() const { return m_positionAtWatch * 8; }

  private:
    void ensure() {
        if (m_count < 32)
            refill();
    }
    void refill();
    void readChunk();
    void destuff(const std::uint8_t* bytes, std::size_t count);

    FileRead m_read;
    std::uint64_t m_fileOffset;
    std::uint64_t m_watch;
    std::size_t m_chunkSize;
    std::vector<std::uint8_t> m_raw;
    std::vector<std::uint8_t> m_data; // destuffed bytes, then zeros once the data ended
    std::size_t m_next = 0;           // first byte of m_data not yet in m_bits
    std::uint64_t m_bufferStart = 0;  // position of m_data[0], in bytes
    std::uint64_t m_bits = 0;         // the next bits, from the top down
    int m_count = 0;                  // how many of them are valid
    bool m_ended = false;
    std::uint64_t m_dataEnd = 0; // bytes of data in all, once ended
    bool m_watchPassed = false;
    std::uint64_t m_positionAtWatch = 0;
    bool m_pendingMarker = false; // a chunk ended on 0xFF, whose next byte says what it is
};

} // namespace vistrel
