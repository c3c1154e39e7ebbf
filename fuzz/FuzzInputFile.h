#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace vistrel::fuzz {

// The fuzz input as a file that readers open by path: one anonymous in-memory file,
// rewritten for every input, so the run touches no disk and leaves nothing behind.
class FuzzInputFile {
  public:
    FuzzInputFile() : m_descriptor(::memfd_create("vistrel-fuzz-input", 0)) {
        if (m_descriptor < 0)
            std::abort(); // without it there is nothing to fuzz
    }
    ~FuzzInputFile() { ::close(m_descriptor); }
    FuzzInputFile(const FuzzInputFile&) = delete;
    FuzzInputFile& operator=(const FuzzInputFile&) = delete;

    // Replaces the content with `size` bytes at `data`; returns the path to open.
    std::string write(const std::uint8_t* data, std::size_t size) {
        if (::ftruncate(m_descriptor, 0) != 0)
            std::abort();
        std::size_t written = 0;
        while (written < size) {
            const ssize_t count = ::pwrite(m_descriptor, data + written, size - written,
                                           static_cast<off_t>(written));
            if (count <= 0)
                std::abort();
            written += static_cast<std::size_t>(count);
        }
        return "/proc/self/fd/" + std::to_string(m_descriptor);
    }
    // The content, for readers that take an open file.
    int descriptor() const { return m_descriptor; }

  private:
    int m_descriptor;
};

} // namespace vistrel::fuzz
