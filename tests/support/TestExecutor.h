#pragma once

#include "core/work/ThreadPool.h"

namespace vistrel::test {

// The executor of services a test builds by itself, as the program's would be: one
// pool for the whole run, ended after every test.
inline Executor& testExecutor() {
    static ThreadPool pool;
    return pool;
}

} // namespace vistrel::test
