#include "codec/rows/RowPipeline.h"

#include <system_error>
#include <utility>

namespace vistrel {

namespace {
// Enough for the decoder to fill one while the folder works on another, with one spare
// to smooth out uneven batches.
constexpr std::size_t bufferCount = 3;
} // namespace

RowPipeline::RowPipeline(std::size_t rowBytes, int rowsPerBatch, Fold fold, Folding folding)
    : m_rowBytes(rowBytes), m_rowsPerBatch(rowsPerBatch), m_fold(std::move(fold)) {
    const bool ownThread = folding == Folding::onOwnThread;
    const std::size_t buffers = ownThread ? bufferCount : 1;
    for (std::size_t i = 0; i < buffers; ++i) {
        m_buffers.emplace_back(rowBytes * std::size_t(rowsPerBatch));
        m_free.push_back(i);
    }
    if (!ownThread)
        return;
    try {
        m_thread = std::thread([this] { foldWhatArrives(); });
    } catch (const std::system_error&) {
        // No thread to be had: the buffers serve folding on the submitting thread.
    }
}

RowPipeline::~RowPipeline() {
    finish();
}

std::uint8_t* RowPipeline::batch() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_free.empty(); });
    m_filling = m_free.back();
    m_free.pop_back();
    return m_buffers[m_filling].data();
}

void RowPipeline::submit(int rows) {
    if (!m_thread.joinable()) {
        foldBatch(m_filling, rows);
        m_free.push_back(m_filling);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_ready.push_back({m_filling, rows});
    }
    m_changed.notify_all();
}

void RowPipeline::finish() {
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void RowPipeline::foldBatch(std::size_t buffer, int rows) {
    std::uint8_t* row = m_buffers[buffer].data();
    for (int i = 0; i < rows; ++i, row += m_rowBytes)
        m_fold(row);
}

void RowPipeline::foldWhatArrives() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_closed; });
        if (m_ready.empty())
            return;
        const Filled filled = m_ready.front();
        m_ready.pop_front();
        lock.unlock();
        foldBatch(filled.buffer, filled.rows);
        lock.lock();
        m_free.push_back(filled.buffer);
        m_changed.notify_all();
    }
}

} // namespace vistrel
