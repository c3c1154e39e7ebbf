#include "core/intake/EntryBatches.h"

#include <algorithm>
#include <utility>

namespace vistrel {

EntryBatches::EntryBatches(Send send, std::size_t capacity, Clock::duration wait,
                           std::function<Clock::time_point()> now, std::size_t clockStride)
    : m_send(std::move(send)), m_capacity(capacity), m_wait(wait), m_now(std::move(now)),
      m_clockStride(std::max<std::size_t>(clockStride, 1)) {}

void EntryBatches::add(PlaylistEntry entry) {
    if (m_batch.empty())
        m_oldest = m_now();
    m_batch.push_back(std::move(entry));
    if (!m_sentAny || m_batch.size() >= m_capacity || waitedEnough())
        flush();
}

bool EntryBatches::waitedEnough() const {
    return m_batch.size() % m_clockStride == 0 && m_now() - m_oldest >= m_wait;
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
