#!/usr/bin/env bash
# Installs, with apt-get, the Debian 12 packages this project needs that are
# not installed yet. Safe to run again; works as root or through sudo.
set -euo pipefail

PACKAGES=(
  build-essential cmake make pkg-config ccache git
  qt6-base-dev libgl-dev libopengl-dev
  libxml2-dev libsqlite3-dev sqlite3 libcpp-httplib-dev libssl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core curl python3 procps valgrind
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages are present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
  else
    echo "install-deps: missing packages (${missing[*]}) and not root; run as root or install sudo" >&2
    exit 1
  fi
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
