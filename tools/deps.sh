#!/bin/sh
# Installs the Debian packages the build, the tests and the benchmarks need.
# As root the missing ones are installed with apt; otherwise the one apt
# command to run is printed and the script fails.
set -e
PKGS="build-essential cmake pkg-config g++ clang libclang-rt-14-dev tmux \
qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev \
xvfb xauth xdotool imagemagick x11-utils python3 fonts-ipafont-gothic"

missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" = "0" ]; then
  echo "deps: installing$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
else
  echo "deps: missing packages; run as root:" >&2
  echo "  apt-get install -y$missing" >&2
  exit 1
fi
