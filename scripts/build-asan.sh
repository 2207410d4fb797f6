#!/usr/bin/env bash
# Configures and builds build-asan: clang with AddressSanitizer and UndefinedBehaviorSanitizer,
# the core and ui tests and the fuzz harnesses. Further arguments go to the build (--target ...).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++-14 \
      -DORLIMBO_SANITIZE=ON -DORLIMBO_BUILD_FUZZ=ON -DORLIMBO_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$(nproc)" "$@"
