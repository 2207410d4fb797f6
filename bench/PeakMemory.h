#pragma once

namespace bench {

// orlimbo_bench --peak-memory=<file> [--peak-wrap=N|R]: loads the file into a fresh window
// and prints "rss_before=<bytes> peak=<bytes> file=<bytes> seconds=<s>" on one line.
inline constexpr const char *kPeakMemoryOption = "--peak-memory=";
inline constexpr const char *kPeakWrapOption = "--peak-wrap=";

int runPeakMemoryChild(int argc, char **argv);

} // namespace bench
