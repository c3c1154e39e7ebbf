#include "codec/io/DescriptorReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace vistrel {

DescriptorReader::DescriptorReader(int descriptor, std::size_t chunkSize)
    : m_descriptor(descriptor), m_buffer(chunkSize) {}

bool DescriptorReader::refill() {
    m_consumed = 0;
    m_filled = 0;
    if (m_failed)
        return false;
    ssize_t got = 0;
    do
        got = ::pread(m_descriptor, m_buffer.data(), m_buffer.size(), m_offset);
    while (got < 0 && errno == EINTR);
    if (got < 0) {
        m_failed = true;
        return false;
    }
    m_filled = std::size_t(got);
    m_offset += got;
    return got > 0;
}

std::span<const std::uint8_t> DescriptorReader::nextChunk() {
    if (m_consumed == m_filled && !refill())
        return {};
    const std::span<const std::uint8_t> chunk(m_buffer.data() + m_consumed, m_filled - m_consumed);
    m_consumed = m_filled;
    return chunk;
}

bool DescriptorReader::read(std::uint8_t* into, std::size_t count) {
    while (count > 0) {
        if (m_consumed == m_filled && !refill())
            return false;
        const std::size_t step = std::min(count, m_filled - m_consumed);
        std::memcpy(into, m_buffer.data() + m_consumed, step);
        m_consumed += step;
        into += step;
        count -= step;
    }
    return true;
}

} // namespace vistrel
