#!/bin/sh
# Configures (once) and builds the project. Re-uses an existing build folder.
# KALO_SANITIZE=ON selects the AddressSanitizer + UndefinedBehaviorSanitizer build.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SANITIZE=${KALO_SANITIZE:-OFF}
if [ "$SANITIZE" = ON ]; then BUILD=${KALO_BUILD_DIR:-$ROOT/build-asan}; TYPE=Debug; else BUILD=${KALO_BUILD_DIR:-$ROOT/build}; TYPE=RelWithDebInfo; fi
JOBS=${KALO_JOBS:-$(nproc)}

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=$TYPE -DKALO_SANITIZE=$SANITIZE \
  -DCMAKE_INSTALL_PREFIX="$BUILD/_install" >/dev/null
cmake --build "$BUILD" -j "$JOBS"
echo "$BUILD"
