#pragma once

#include "codec/io/OwnedDescriptor.h"

#include <QByteArray>
#include <cstddef>
#include <optional>

namespace vistrel {

// Nothing sensible is a picture file this large; reading it whole would only exhaust
// memory.
inline constexpr qint64 largestReadFile = qint64(1) << 30;

// The whole of the open file `descriptor`, read with pread from its first byte;
// nullopt when it cannot be read or passes largestReadFile.
std::optional<QByteArray> wholeFileOf(int descriptor);

// An open file mapped for reading, for a library that reads from memory: only the
// pages it touches are read.
class MappedFile {
  public:
    explicit MappedFile(int descriptor);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Null when the file could not be mapped (an empty file, or one too large).
    const unsigned char* bytes() const { return m_bytes; }
    std::size_t size() const { return m_size; }

  private:
    const unsigned char* m_bytes = nullptr;
    std::size_t m_size = 0;
};

} // namespace vistrel
