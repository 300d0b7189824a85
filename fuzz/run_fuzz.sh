#!/usr/bin/env bash
# Builds the multibody reader fuzzer with clang in its own build folder and
# runs it for a fixed time on a copy of the sample files. Exits non-zero when
# the build fails or the fuzzer finds a crash, leak, timeout or sanitizer report.
#   fuzz/run_fuzz.sh [seconds]       (default 60; FUZZ_BUILD_DIR overrides the build folder)
set -euo pipefail

SECONDS_TO_RUN="${1:-60}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
JOBS="${FUZZ_JOBS:-2}"

mkdir -p "$BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKALO_FUZZ=ON -DKALO_SANITIZE=ON -DKALO_BUILD_TESTS=OFF -DKALO_BUILD_BENCH=OFF >"$BUILD/configure.log" 2>&1 ||
  { cat "$BUILD/configure.log"; exit 1; }
cmake --build "$BUILD" --target multibody_reader_fuzzer -j"$JOBS"

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/corpus" "$WORK/artifacts"
cp "$ROOT"/testdata/multibody/*.xml "$WORK/corpus/"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TMPDIR="$WORK"

echo "Fuzzing the multibody reader for ${SECONDS_TO_RUN}s"
set +e
"$BUILD/fuzz/multibody_reader_fuzzer" "$WORK/corpus" \
  -dict="$ROOT/fuzz/multibody.dict" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 \
  -timeout=20 -rss_limit_mb=4096 -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 2>"$WORK/fuzz.log"
status=$?
set -e
tail -n 30 "$WORK/fuzz.log"
if [ "$status" -ne 0 ]; then
  echo "multibody reader fuzzer failed (exit $status); reproducer(s):"
  for a in "$WORK"/artifacts/*; do
    [ -e "$a" ] || continue
    mkdir -p "$BUILD/artifacts" && cp "$a" "$BUILD/artifacts/" && echo "  $BUILD/artifacts/$(basename "$a")"
  done
  exit "$status"
fi
echo "multibody reader fuzzer: no crash in ${SECONDS_TO_RUN}s"
