#include "codec/rows/RowPipeline.h"

#include <utility>

namespace vistrel {

namespace {
// Enough for the decoder to fill one while the folder works on another, with one spare
// to smooth out uneven batches.
constexpr std::size_t bufferCount = 3;
} // namespace

RowPipeline::RowPipeline(std::size_t rowBytes, int rowsPerBatch, Fold fold, const Parallelism& parallelism)
    : m_rowBytes(rowBytes), m_rowsPerBatch(rowsPerBatch), m_fold(std::move(fold)),
      m_abandoned(parallelism.abandoned) {
    const std::size_t buffers = parallelism.width >= 2 ? bufferCount : 1;
    for (std::size_t i = 0; i < buffers; ++i) {
        m_buffers.emplace_back(rowBytes * std::size_t(rowsPerBatch));
        m_free.push_back(i);
    }
    if (buffers < 2)
        return;
    // Running before the task can start: the folder may end (and say so) at once.
    m_folderRunning = true;
    std::function<void()> folder = [this] { foldWhatArrives(); };
    if (!parallelism.startIfIdle(folder))
        m_folderRunning = false; // the buffers serve folding on the submitting thread
}

RowPipeline::~RowPipeline() {
    close();
}

std::uint8_t* RowPipeline::batch() {
    if (m_abandoned())
        throw DecodeAbandoned();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_free.empty() || m_failure; });
    if (m_failure)
        std::rethrow_exception(m_failure);
    m_filling = m_free.back();
    m_free.pop_back();
    return m_buffers[m_filling].data();
}

void RowPipeline::submit(int rows) {
    std::unique_lock lock(m_mutex);
    if (!m_folderRunning) {
        lock.unlock();
        // The buffer is free again whether or not the fold throws.
        struct Freed {
            RowPipeline& pipeline;
            ~Freed() {
                const std::lock_guard relock(pipeline.m_mutex);
                pipeline.m_free.push_back(pipeline.m_filling);
            }
        } freed{*this};
        foldBatch(m_filling, rows);
        return;
    }
    m_ready.push_back({m_filling, rows});
    lock.unlock();
    m_changed.notify_all();
}

void RowPipeline::finish() {
    close();
    rethrowFailure();
}

void RowPipeline::close() {
    std::unique_lock lock(m_mutex);
    m_closed = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_folderRunning; });
}

void RowPipeline::rethrowFailure() {
    const std::lock_guard lock(m_mutex);
    if (m_failure)
        std::rethrow_exception(m_failure);
}

void RowPipeline::foldBatch(std::size_t buffer, int rows) {
    std::uint8_t* row = m_buffers[buffer].data();
    for (int i = 0; i < rows; ++i, row += m_rowBytes)
        m_fold(row);
}

// Runs on a thread that is not the pipeline's to keep: nothing the fold throws may
// leave it. After a failure the batches that still arrive are only handed back, and
// the submitting thread learns of it at its next batch() or at finish().
void RowPipeline::foldWhatArrives() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_closed; });
        if (m_ready.empty())
            break;
        const Filled filled = m_ready.front();
        m_ready.pop_front();
        if (!m_failure) {
            lock.unlock();
            try {
                foldBatch(filled.buffer, filled.rows);
            } catch (...) {
                lock.lock();
                m_failure = std::current_exception();
                lock.unlock();
            }
            lock.lock();
        }
        m_free.push_back(filled.buffer);
        m_changed.notify_all();
    }
    // Said under the lock: once it is released, the pipeline may be gone.
    m_folderRunning = false;
    m_changed.notify_all();
}

} // namespace vistrel
