#include "intake/EntryBatches.h"

#include <utility>

namespace vistrel {

EntryBatches::EntryBatches(Send send, std::size_t capacity, Clock::duration wait,
                           std::function<Clock::time_point()> now)
    : m_send(std::move(send)), m_capacity(capacity), m_wait(wait), m_now(std::move(now)) {}

void EntryBatches::add(PlaylistEntry entry) {
    const Clock::time_point now = m_now();
    if (m_batch.empty())
        m_oldest = now;
    m_batch.push_back(std::move(entry));
    if (!m_sentAny || m_batch.size() >= m_capacity || now - m_oldest >= m_wait)
        flush();
}

void EntryBatches::flush() {
    if (m_batch.empty())
        return;
    m_sentAny = true;
    FileList batch;
    batch.reserve(m_capacity);
    std::swap(batch, m_batch);
    m_send(std::move(batch));
}

} // namespace vistrel
