#!/bin/sh
# The main job: installs what is missing, builds and installs the libraries,
# then builds the example CAD plug-in (written in C) against the installed
# package and runs it: it describes a small robot arm through the C interface
# and exports it as a multibody XML file.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
EXAMPLE=${KALO_EXAMPLE:-export_robot_arm}
"$ROOT/scripts/install-deps.sh"
BUILD=$("$ROOT/scripts/build.sh" | tail -n 1)
cmake --install "$BUILD" --prefix "$BUILD/_install" >/dev/null
cmake -S "$ROOT/examples/$EXAMPLE" -B "$BUILD/_examples/$EXAMPLE" -DCMAKE_PREFIX_PATH="$BUILD/_install" >/dev/null
cmake --build "$BUILD/_examples/$EXAMPLE" >/dev/null
mkdir -p "$ROOT/out"
if [ $# -eq 0 ]; then set -- "$ROOT/out/robot_arm.xml"; fi
"$BUILD/_examples/$EXAMPLE/$EXAMPLE" "$@"
