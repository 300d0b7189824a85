#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in a build folder of their own and
# runs each for a fixed time, starting from the committed seeds (and the
# corpus earlier runs grew). Exits non-zero when a build fails or a fuzzer
# finds a crash, leak, timeout, sanitizer report or broken property; the
# reproducers are copied below the build folder.
#   fuzz/run_fuzz.sh [seconds-per-target] [target...]
#     fuzz/run_fuzz.sh 45                        every target, 45 s each (CI)
#     fuzz/run_fuzz.sh 3600 conversion_fuzzer    a one-hour campaign of one target
# A target the build does not define is skipped with a message.
# FUZZ_BUILD_DIR overrides the build folder, FUZZ_JOBS the build's parallelism.
set -euo pipefail

SECONDS_TO_RUN="${1:-60}"
shift || true
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
JOBS="${FUZZ_JOBS:-2}"

# Every target, in the order CI runs them.
ALL_TARGETS=(multibody_reader_fuzzer stream_dom_differential_fuzzer cad_xml_reader_fuzzer conversion_fuzzer
  csts2connections_fuzzer sim_export_fuzzer)
if [ "$#" -gt 0 ]; then TARGETS=("$@"); else TARGETS=("${ALL_TARGETS[@]}"); fi

# Seeds of a target (by its short name, without _fuzzer): its committed corpus
# and the project's sample files of the format it reads.
seed_files() {
  case "$1" in
    multibody_reader | stream_dom_differential) ls "$ROOT"/testdata/multibody/*.xml ;;
    sim_export) ls "$ROOT"/testdata/multibody/*.xml "$ROOT"/testdata/export/*.xml ;;
    cad_xml_reader) ls "$ROOT"/testdata/cad/*.xml "$ROOT"/testdata/convert/*.xml ;;
  esac
  if [ -d "$ROOT/fuzz/corpus/$1" ]; then find "$ROOT/fuzz/corpus/$1" -type f; fi
}

dictionary_of() {
  case "$1" in
    multibody_reader | stream_dom_differential | sim_export) echo "$ROOT/fuzz/multibody.dict" ;;
    *) if [ -f "$ROOT/fuzz/$1.dict" ]; then echo "$ROOT/fuzz/$1.dict"; fi ;;
  esac
}

max_len_of() {
  case "$1" in
    conversion | csts2connections) echo 4096 ;;
    sim_export) echo 131072 ;;  # a chain deeper than MuJoCo reads in one file takes about 110 kB
    *) echo 65536 ;;
  esac
}

# ccache, where installed, keeps the rebuild of every CI run short.
LAUNCHER=()
if command -v ccache >/dev/null 2>&1; then
  LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$ROOT"
fi

mkdir -p "$BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${LAUNCHER[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKALO_FUZZ=ON -DKALO_SANITIZE=ON -DKALO_BUILD_TESTS=OFF -DKALO_BUILD_BENCH=OFF >"$BUILD/configure.log" 2>&1 ||
  { cat "$BUILD/configure.log"; exit 1; }
DEFINED="$(cmake --build "$BUILD" --target help)"

RUN=()
for t in "${TARGETS[@]}"; do
  if grep -qw -- "$t" <<<"$DEFINED"; then RUN+=("$t"); else echo "skipping $t: the build defines no such target"; fi
done
if [ "${#RUN[@]}" -eq 0 ]; then echo "no fuzz target to run"; exit 1; fi
cmake --build "$BUILD" --target "${RUN[@]}" -j"$JOBS"

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TMPDIR="$WORK"

failed=0
for t in "${RUN[@]}"; do
  short="${t%_fuzzer}"
  corpus="$BUILD/corpus/$short"
  mkdir -p "$corpus" "$WORK/artifacts/$short"
  seed_files "$short" | while read -r f; do cp "$f" "$corpus/"; done
  dict="$(dictionary_of "$short")"
  echo "Fuzzing $t for ${SECONDS_TO_RUN}s"
  set +e
  "$BUILD/fuzz/$t" "$corpus" ${dict:+-dict="$dict"} -max_total_time="$SECONDS_TO_RUN" \
    -max_len="$(max_len_of "$short")" -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="$WORK/artifacts/$short/" -print_final_stats=1 2>"$WORK/$short.log"
  status=$?
  set -e
  # Executions and coverage of the run: the last status line and the final stats.
  done_line="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$WORK/$short.log" | tail -n 1 || true)"
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$WORK/$short.log")"
  echo "$t: ${execs:-?} executions; ${done_line:-no final status line}"
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$WORK/$short.log"
    echo "$t failed (exit $status); reproducer(s):"
    for a in "$WORK/artifacts/$short"/*; do
      [ -e "$a" ] || continue
      mkdir -p "$BUILD/artifacts/$short" && cp "$a" "$BUILD/artifacts/$short/" &&
        echo "  $BUILD/artifacts/$short/$(basename "$a")"
    done
    failed=1
  fi
done
exit "$failed"
