#!/bin/sh
# Installs the Debian 12 packages the build and the tests need, only those missing.
set -eu

PACKAGES="build-essential cmake pkg-config libxerces-c-dev libicu-dev libboost-dev libboost-system-dev \
libgtest-dev libgmock-dev libbenchmark-dev libeigen3-dev libxml2-utils clang libclang-rt-14-dev \
libmujoco-dev libsdformat-dev liburdfdom-dev liburdfdom-tools graphviz libpugixml-dev \
python3-dev pybind11-dev python3-pybind11 python3-numpy python3-pytest ccache nlohmann-json3-dev \
chromium nodejs libocct-data-exchange-dev libocct-modeling-algorithms-dev"

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

# Debian's nodejs ships npm apart; other builds of nodejs carry it.
if ! command -v npm >/dev/null 2>&1; then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends npm
fi

# The model page's browser tests drive Chromium through playwright-core, pinned
# by tools/kalo-view/web/package-lock.json. Building never needs it; without it
# the browser test fails and says why.
WEB=$(cd "$(dirname "$0")/.." && pwd)/tools/kalo-view/web
if ! cmp -s "$WEB/package-lock.json" "$WEB/node_modules/.package-lock.json.installed" 2>/dev/null; then
  if (cd "$WEB" && npm ci --no-audit --no-fund --loglevel=error); then
    cp "$WEB/package-lock.json" "$WEB/node_modules/.package-lock.json.installed"
  else
    echo "install-deps: 'npm ci' in $WEB failed; the kalo-view browser test will fail until it succeeds" >&2
  fi
fi
