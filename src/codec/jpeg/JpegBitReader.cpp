#include "codec/jpeg/JpegBitReader.h"

#include <cstring>
#include <limits>

namespace vistrel {

namespace {

constexpr std::uint8_t markerByte = 0xFF;

} // namespace

JpegBitReader::JpegBitReader(FileRead read, std::uint64_t start, std::uint64_t watch, std::size_t chunkSize)
    : m_read(std::move(read)), m_fileOffset(start),
      m_watch(watch > start ? watch : std::numeric_limits<std::uint64_t>::max()), m_chunkSize(chunkSize),
      m_raw(chunkSize) {
    m_data.reserve(chunkSize + 2 * wordBytes);
}

void JpegBitReader::readMore() {
    m_data.erase(m_data.begin(), m_data.begin() + std::ptrdiff_t(m_next));
    m_bufferStart += m_next;
    m_next = 0;
    while (!m_ended && m_data.size() < wordBytes)
        readChunk();
    // Past the end the data reads as zero bits, as many as are asked for.
    if (m_data.size() < wordBytes)
        m_data.resize(wordBytes, 0);
}

void JpegBitReader::readChunk() {
    std::size_t size = m_chunkSize;
    if (m_fileOffset < m_watch)
        size = std::size_t(std::min<std::uint64_t>(size, m_watch - m_fileOffset));
    const std::size_t read = m_read(m_fileOffset, m_raw.data(), size);
    if (read == 0 || read > size) {
        m_ended = true;
        m_dataEnd = m_bufferStart + m_data.size();
        return;
    }
    m_fileOffset += read;
    destuff(m_raw.data(), read);
    if (!m_ended && m_fileOffset == m_watch) {
        m_watchPassed = true;
        m_positionAtWatch = m_bufferStart + m_data.size();
    }
}

// After a 0xFF byte, more 0xFF bytes are fill, a zero makes it a data byte, and any
// other byte a marker, which ends the data (as the reference decoder reads it).
void JpegBitReader::destuff(const std::uint8_t* bytes, std::size_t count) {
    std::size_t at = 0;
    while (at < count) {
        if (m_pendingMarker) {
            const std::uint8_t next = bytes[at++];
            if (next == markerByte)
                continue;
            m_pendingMarker = false;
            if (next != 0) {
                m_ended = true;
                m_dataEnd = m_bufferStart + m_data.size();
                return;
            }
            m_data.push_back(markerByte);
            continue;
        }
        const auto* found = static_cast<const std::uint8_t*>(std::memchr(bytes + at, markerByte, count - at));
        const std::size_t marker = found ? std::size_t(found - bytes) : count;
        m_data.insert(m_data.end(), bytes + at, bytes + marker);
        if (marker == count)
            return;
        m_pendingMarker = true;
        at = marker + 1;
    }
}

} // namespace vistrel
