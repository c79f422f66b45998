#!/usr/bin/env bash
# Builds the fuzzers with clang in build/fuzz and runs each one over its seed
# corpus and then for N seconds (the argument, default 20). Fails when any
# fuzzer crashes or breaks a rule; the input that did it is kept in
# build/fuzz/artifacts.
#
#   tests/fuzz/run.sh        20 s each, about a minute and a half in all
#   tests/fuzz/run.sh 5      a short run, as CI would do it
#   tests/fuzz/run.sh 3600   an hour each, by hand
# A long run of one fuzzer alone is described in tests/fuzz/CMakeLists.txt.
#
# Needs clang and libFuzzer (Debian: apt-get install clang libclang-rt-14-dev).
set -euo pipefail

seconds=${1:-20}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
    echo "usage: $0 [seconds per fuzzer]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/fuzz

if ! command -v clang++ >/dev/null; then
    echo "clang++ is missing: apt-get install clang libclang-rt-14-dev" >&2
    exit 1
fi

cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DLOUPA_FUZZ=ON -DLOUPA_FUZZ_SECONDS="$seconds" >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log"; exit 1; }
cmake --build "$build" --target loupa_fuzzers -j 2
ctest --test-dir "$build" -L fuzz -j 2 --output-on-failure
