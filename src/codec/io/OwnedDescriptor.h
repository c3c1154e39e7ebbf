#pragma once

#include <unistd.h>

namespace vistrel {

// An open descriptor owned: closed with its owner. -1 owns nothing.
class OwnedDescriptor {
  public:
    explicit OwnedDescriptor(int descriptor = -1) : m_descriptor(descriptor) {}
    ~OwnedDescriptor() {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    OwnedDescriptor(OwnedDescriptor&& other) noexcept : m_descriptor(other.release()) {}
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(OwnedDescriptor&&) = delete;

    int get() const { return m_descriptor; }
    // Hands the descriptor over; this owns nothing after.
    int release() {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return descriptor;
    }

  private:
    int m_descriptor;
};

} // namespace vistrel
