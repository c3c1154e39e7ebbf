#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vistrel {

// Reads an open file from its first byte on in large chunks, at an offset of its own:
// whoever else reads the same descriptor is not disturbed. Reading stops at the end of
// the file or at the first failure (a file cut short while read ends like one).
class DescriptorReader {
  public:
    explicit DescriptorReader(int descriptor, std::size_t chunkSize = std::size_t(256) * 1024);

    // The next bytes of the file; empty at its end or after a failure.
    std::span<const std::uint8_t> nextChunk();
    // Fills `into` entirely; false when the file ends first.
    bool read(std::uint8_t* into, std::size_t count);

    bool failed() const { return m_failed; }

  private:
    bool refill();

    int m_descriptor;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_filled = 0;   // bytes of the buffer holding file data
    std::size_t m_consumed = 0; // of those, bytes handed out
    std::int64_t m_offset = 0;  // of the buffer's end in the file
    bool m_failed = false;
};

} // namespace vistrel
