#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <utility>

namespace vistrel {

// What a decoder throws once whoever asked for the pixels no longer wants them.
class DecodeAbandoned : public std::runtime_error {
  public:
    DecodeAbandoned() : std::runtime_error("no longer wanted") {}
};

// How a decoder may spread its work, handed to it by whoever owns the threads: a
// decoder never starts threads of its own. The default runs everything on the calling
// thread.
struct Parallelism {
    // Runs body(0) .. body(count - 1) and returns once all have run. Some may run on
    // other threads at the same time; an index no other thread took runs on the calling
    // thread, so it finishes even when no other thread is free. The first exception a
    // body throws is rethrown here, after every body that started has ended.
    using ForEach = std::function<void(std::size_t count, const std::function<void(std::size_t)>& body)>;
    // Starts `task` at once on a thread that is idle now and returns true; otherwise
    // returns false and leaves `task` unrun. For a pipeline stage that must never wait
    // in a queue behind the work that feeds it.
    using StartIfIdle = std::function<bool(std::function<void()>& task)>;

    ForEach forEach = runInTurn;
    StartIfIdle startIfIdle = [](std::function<void()>&) { return false; };
    // How many bodies can run at the same time, the calling thread's included.
    std::size_t width = 1;
    // Whether whoever asked has given up on the result (a newer request superseded
    // it). Asked from any decoding thread between pieces of work; safe to ask often.
    std::function<bool()> abandoned = [] { return false; };

    void throwIfAbandoned() const {
        if (abandoned())
            throw DecodeAbandoned();
    }

    static void runInTurn(std::size_t count, const std::function<void(std::size_t)>& body) {
        for (std::size_t index = 0; index < count; ++index)
            body(index);
    }
};

} // namespace vistrel
