#!/bin/sh
# Configures (once) and builds the project. Re-uses an existing build folder.
# KALO_SANITIZE=ON selects the AddressSanitizer + UndefinedBehaviorSanitizer build,
# KALO_SANITIZE=thread the ThreadSanitizer build. KALO_TARGETS, when set, builds
# only those targets (space-separated).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SANITIZE=${KALO_SANITIZE:-OFF}
case "$SANITIZE" in
  ON) BUILD=${KALO_BUILD_DIR:-$ROOT/build-asan}; TYPE=Debug ;;
  thread) BUILD=${KALO_BUILD_DIR:-$ROOT/build-tsan}; TYPE=RelWithDebInfo ;;
  *) BUILD=${KALO_BUILD_DIR:-$ROOT/build}; TYPE=RelWithDebInfo ;;
esac
JOBS=${KALO_JOBS:-$(nproc)}
TARGETS=""
for target in ${KALO_TARGETS:-}; do TARGETS="$TARGETS --target $target"; done

# ccache, where installed, shares objects between builds of other checkouts.
LAUNCHER=""
if command -v ccache >/dev/null 2>&1; then
  LAUNCHER="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  export CCACHE_BASEDIR="$ROOT"
fi

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=$TYPE -DKALO_SANITIZE=$SANITIZE $LAUNCHER \
  -DCMAKE_INSTALL_PREFIX="$BUILD/_install" >/dev/null
mkdir -p "$BUILD"
# shellcheck disable=SC2086
if ! cmake --build "$BUILD" -j "$JOBS" $TARGETS >"$BUILD/build.log" 2>&1; then
  tail -n 60 "$BUILD/build.log" >&2
  echo "Build failed; the whole log is $BUILD/build.log" >&2
  exit 1
fi
echo "$BUILD"
