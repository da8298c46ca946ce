#!/usr/bin/env bash
# Builds the native benchmarks optimised and without sanitizers, and runs them.
#   bench.sh [benchmark args...]    e.g. --benchmark_filter=SmoothRect
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTYVORN_SANITIZE=OFF >/dev/null
cmake --build "$root/build/bench" --target tyvorn_bench
"$root/build/bench/tests/bench/tyvorn_bench" "$@"
