#!/bin/sh
# Installs the Debian 12 packages the build and the tests need, only those missing.
set -eu

PACKAGES="build-essential cmake pkg-config libxerces-c-dev libicu-dev libboost-dev libboost-system-dev \
libgtest-dev libgmock-dev libbenchmark-dev libeigen3-dev libxml2-utils clang libclang-rt-14-dev \
libmujoco-dev libsdformat-dev liburdfdom-dev liburdfdom-tools graphviz libpugixml-dev \
python3-dev pybind11-dev python3-pybind11 python3-numpy python3-pytest ccache \
nlohmann-json3-dev libocct-data-exchange-dev libocct-modeling-algorithms-dev"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  echo "Installing:$missing"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
