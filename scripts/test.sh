#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite under ctest
# (unit tests, end-to-end tests and the install-interface check that builds the
# examples against the installed package). KALO_SANITIZE=ON runs it under
# AddressSanitizer + UndefinedBehaviorSanitizer; any report fails the run.
# KALO_SANITIZE=thread builds the tests that run the system on many threads at
# once under ThreadSanitizer and runs only those; any report fails the run.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/scripts/install-deps.sh"
if [ "${KALO_SANITIZE:-OFF}" = thread ]; then
  BUILD=$(KALO_TARGETS="kalo_toolkit_foundation_tests kalo_toolkit_export_tests kalo_api_tests" \
    "$ROOT/scripts/build.sh" | tail -n 1)
  export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
  cd "$BUILD"
  exec ctest --output-on-failure -j "${KALO_JOBS:-$(nproc)}" --timeout 900 \
    -R '^(ParallelModelsTest|ParallelConversionTest|AtomicFileTest)\.'
fi
BUILD=$("$ROOT/scripts/build.sh" | tail -n 1)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$BUILD"
ctest --output-on-failure -j "${KALO_JOBS:-$(nproc)}" --timeout 900
