#!/usr/bin/env bash
# Configures and builds build-tsan: clang with ThreadSanitizer, the core library and its tests
# only (Qt is not instrumented, so the window's code would report Qt's own work).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
      -DORLIMBO_SANITIZE_THREAD=ON -DORLIMBO_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$(nproc)" --target core_tests
