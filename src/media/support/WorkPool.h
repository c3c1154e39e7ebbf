#pragma once

#include "codec/work/Parallelism.h"
#include "core/work/ThreadPool.h"

#include <memory>

namespace vistrel {

// The program's executor (see ThreadPool), what a task lets escape logged in vistrel.work.
std::shared_ptr<ThreadPool> makeWorkPool();

// How decoders spread their work over `executor`, which must outlive every decode.
Parallelism parallelismOf(Executor& executor);

} // namespace vistrel
