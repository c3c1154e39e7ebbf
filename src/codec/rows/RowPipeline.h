#pragma once

#include "codec/work/Parallelism.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

namespace vistrel {

// Carries decoded rows, in batches, from the thread that decodes them to one that
// folds them (converts and downscales), so that on two cores decoding the next rows
// and folding the last ones overlap. The folding thread is one the parallelism finds
// idle when the pipeline is made; without one, each batch is folded as it is
// submitted. Rows are folded in the order they were submitted. A decode that is no
// longer wanted ends at the next batch asked for, with DecodeAbandoned.
class RowPipeline {
  public:
    // Gets each row in turn, and may change it in place.
    using Fold = std::function<void(std::uint8_t* row)>;

    // `parallelism` is asked only here; it need not outlive the pipeline.
    RowPipeline(std::size_t rowBytes, int rowsPerBatch, Fold fold, const Parallelism& parallelism);
    ~RowPipeline(); // waits for the folding to end; throws nothing
    RowPipeline(const RowPipeline&) = delete;
    RowPipeline& operator=(const RowPipeline&) = delete;

    int rowsPerBatch() const { return m_rowsPerBatch; }
    std::size_t rowBytes() const { return m_rowBytes; }
    // Room for rowsPerBatch() rows, rowBytes() apart, to be filled and then submitted.
    // Throws what the fold threw on the folding thread, if it did, or DecodeAbandoned.
    std::uint8_t* batch();
    // Hands the first `rows` rows of the batch over to be folded.
    void submit(int rows);
    // Returns once every submitted row is folded; the pipeline takes no more rows.
    // Throws the first exception the fold threw, on whichever thread.
    void finish();

  private:
    struct Filled {
        std::size_t buffer;
        int rows;
    };

    void foldBatch(std::size_t buffer, int rows);
    void foldWhatArrives();
    void close();
    void rethrowFailure();

    std::size_t m_rowBytes;
    int m_rowsPerBatch;
    Fold m_fold;
    std::function<bool()> m_abandoned;
    std::vector<std::vector<std::uint8_t>> m_buffers;
    std::size_t m_filling = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::size_t> m_free; // guarded by m_mutex, as are the ones below
    std::deque<Filled> m_ready;
    bool m_closed = false;
    bool m_folderRunning = false; // a folding thread took the pipeline and has not ended
    std::exception_ptr m_failure; // what the fold threw on the folding thread
};

} // namespace vistrel
