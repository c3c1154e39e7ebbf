#include "app/CoalescingWriter.h"

#include <utility>

namespace vistrel {

CoalescingWriter::~CoalescingWriter() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CoalescingWriter::submit(Write write) {
    {
        const std::lock_guard lock(m_mutex);
        m_waiting = std::move(write);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { drain(); });
    }
    m_changed.notify_all();
}

void CoalescingWriter::waitUntilWritten() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_waiting && !m_writing; });
}

// Stops only when nothing is left to write.
void CoalescingWriter::drain() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_waiting || m_stopping; });
        if (!m_waiting)
            return;
        Write write = std::exchange(m_waiting, nullptr);
        m_writing = true;
        lock.unlock();
        write();
        lock.lock();
        m_writing = false;
        m_changed.notify_all();
    }
}

} // namespace vistrel
