#pragma once

#include <exception>
#include <system_error>
#include <thread>
#include <utility>

// Runs `first` here and `second` on a thread of its own, both to their end; an exception of
// either comes out here. Where the system gives no further thread (a process or memory limit),
// `second` runs here after `first`: slower, never a failed load. `start` makes the thread; a
// test passes one that fails.
template <typename First, typename Second, typename Start>
void runOnTwoThreads(First &&first, Second &&second, Start &&start)
{
    std::exception_ptr failed;
    std::thread other;
    try {
        other = start([&] {
            try {
                second();
            } catch (...) {
                failed = std::current_exception();
            }
        });
    } catch (const std::system_error &) {
        first();
        second();
        return;
    }
    try {
        first();
    } catch (...) {
        other.join();
        throw;
    }
    other.join();
    if (failed)
        std::rethrow_exception(failed);
}

template <typename First, typename Second>
void runOnTwoThreads(First &&first, Second &&second)
{
    runOnTwoThreads(std::forward<First>(first), std::forward<Second>(second),
                    [](auto &&work) { return std::thread(std::forward<decltype(work)>(work)); });
}
