#pragma once

#include "core/work/ThreadPool.h"

#include <memory>

namespace vistrel {

// The program's executor: one worker per core, and what a task lets escape logged in
// vistrel.work.
std::shared_ptr<ThreadPool> makeWorkPool();

} // namespace vistrel
