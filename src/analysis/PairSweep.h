#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace korvex {

// Lets another thread follow a long sweep and stop it. `done` counts the pairs
// computed so far out of `total`; setting `cancelled` makes the sweep return at
// the end of the rows being worked on.
struct SweepControl {
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
    std::atomic<bool> cancelled{false};
};

// Spreads rows of pair work over the cores. Rows are handed out one at a time,
// so rows of very different lengths (row i of the upper triangle has n - 1 - i
// pairs) still keep every worker busy to the end.
namespace PairSweep {

// Workers worth starting for `pairs` pairs: one for small sweeps, where
// starting threads would cost more than it saves.
inline std::size_t workersFor(std::uint64_t pairs) {
    if (pairs < 20'000)
        return 1;
    return std::max<std::size_t>(1, std::min<std::size_t>(std::thread::hardware_concurrency(), 64));
}

// Calls `row(worker, r)` for every r in 0..rows-1, each on one of `workers`
// threads (worker numbers 0..workers-1; the calling thread is worker 0);
// `row` returns the pairs it computed. Returns false when `control` was
// cancelled, in which case some rows were not run. An exception thrown by a
// row (running out of memory) stops every worker and is rethrown here.
template <typename Row>
bool run(std::size_t rows, std::size_t workers, SweepControl* control, Row row) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&](std::size_t worker) {
        try {
            for (;;) {
                if (failed.load(std::memory_order_relaxed) ||
                    (control && control->cancelled.load(std::memory_order_relaxed)))
                    return;
                const std::size_t r = next.fetch_add(1, std::memory_order_relaxed);
                if (r >= rows)
                    return;
                const std::uint64_t pairs = row(worker, r);
                if (control)
                    control->done.fetch_add(pairs, std::memory_order_relaxed);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(workers > 0 ? workers - 1 : 0);
    for (std::size_t w = 1; w < workers; ++w)
        threads.emplace_back(work, w);
    work(0);
    for (std::thread& t : threads)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
    return !(control && control->cancelled.load());
}

} // namespace PairSweep

} // namespace korvex
