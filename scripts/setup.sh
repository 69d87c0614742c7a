#!/usr/bin/env bash
# Installs what Quillprint needs to build, test and run on Debian 12, and
# nothing else. Asks dpkg first so that a machine that already has every
# package is done in well under a second; apt-get runs only for the gaps.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev            # Widgets, PrintSupport, Test and the offscreen platform
  python3 python3-dbf python3-dbfread   # independent DBF readers for interop tests
  clang libclang-rt-14-dev              # libFuzzer and the sanitizers
  fonts-liberation        # metric-compatible faces so "Arial" is the same everywhere
  xvfb xauth              # a display for screenshots
  poppler-utils           # pdftoppm, for turning a printed check into a picture
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# A fresh image has no package lists; a stale one may point at removed files.
"${sudo[@]}" apt-get update -qq || true
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
