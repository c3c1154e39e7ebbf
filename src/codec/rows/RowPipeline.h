#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vistrel {

// Carries decoded rows, in batches, from the thread that decodes them to one that
// folds them (converts and downscales), so that on two cores decoding the next rows
// and folding the last ones overlap. Without a thread of its own it folds each batch
// as it is submitted. Rows are folded in the order they were submitted.
class RowPipeline {
  public:
    // Gets each row in turn, and may change it in place.
    using Fold = std::function<void(std::uint8_t* row)>;
    enum class Folding { onSubmittingThread, onOwnThread };

    RowPipeline(std::size_t rowBytes, int rowsPerBatch, Fold fold, Folding folding);
    ~RowPipeline(); // finishes
    RowPipeline(const RowPipeline&) = delete;
    RowPipeline& operator=(const RowPipeline&) = delete;

    int rowsPerBatch() const { return m_rowsPerBatch; }
    std::size_t rowBytes() const { return m_rowBytes; }
    // Room for rowsPerBatch() rows, rowBytes() apart, to be filled and then submitted.
    std::uint8_t* batch();
    // Hands the first `rows` rows of the batch over to be folded.
    void submit(int rows);
    // Returns once every submitted row is folded; the pipeline takes no more rows.
    void finish();

  private:
    struct Filled {
        std::size_t buffer;
        int rows;
    };

    void foldBatch(std::size_t buffer, int rows);
    void foldWhatArrives();

    std::size_t m_rowBytes;
    int m_rowsPerBatch;
    Fold m_fold;
    std::vector<std::vector<std::uint8_t>> m_buffers;
    std::size_t m_filling = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::size_t> m_free; // guarded by m_mutex, as are the two below
    std::deque<Filled> m_ready;
    bool m_closed = false;
    std::thread m_thread; // not running when folding on the submitting thread
};

} // namespace vistrel
