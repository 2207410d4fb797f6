#include "core/TwoThreads.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::thread refuseThread(auto &&)
{
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

TEST(TwoThreads, BothPartsRunAndTheSecondRunsHereWhenNoThreadCanBeHad)
{
    const auto here = std::this_thread::get_id();
    std::thread::id secondOn;
    std::string order;
    runOnTwoThreads([&] { order += "1"; }, [&] { secondOn = std::this_thread::get_id(); });
    EXPECT_EQ(order, "1");
    EXPECT_NE(secondOn, here);

    order.clear();
    runOnTwoThreads([&] { order += "1"; },
                    [&] {
                        order += "2";
                        secondOn = std::this_thread::get_id();
                    },
                    [](auto &&work) { return refuseThread(work); });
    EXPECT_EQ(order, "12");
    EXPECT_EQ(secondOn, here);
}

TEST(TwoThreads, AFailureOfEitherPartComesOutAfterBothEnded)
{
    bool otherEnded = false;
    EXPECT_THROW(runOnTwoThreads([] { throw std::runtime_error("first"); }, [&] { otherEnded = true; }),
                 std::runtime_error);
    EXPECT_TRUE(otherEnded);

    otherEnded = false;
    EXPECT_THROW(runOnTwoThreads([&] { otherEnded = true; }, [] { throw std::runtime_error("second"); }),
                 std::runtime_error);
    EXPECT_TRUE(otherEnded);

    EXPECT_THROW(runOnTwoThreads([] {}, [] { throw std::runtime_error("second"); },
                                 [](auto &&work) { return refuseThread(work); }),
                 std::runtime_error);
}

} // namespace
