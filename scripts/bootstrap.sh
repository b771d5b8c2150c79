#!/usr/bin/env bash
# Installs the Debian packages the build needs when any is missing, then
# configures and builds into build/ (again only when needed). Sourced by
# ./run and ./test; prints nothing when everything is in place.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELORIN_BUILD_DIR:-$top/build}

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev qt6-qpa-plugins libgl-dev
  libexiv2-dev qt6-image-formats-plugins libheif-dev libraw-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libmediainfo0v5
  libgtest-dev libgmock-dev
  sqlite3 libimage-exiftool-perl libjpeg-turbo-progs imagemagick python3 libheif-examples ffmpeg
  ffmpegthumbnailer
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "velorin: installing ${missing[*]}" >&2
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq >&2
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VELORIN_CMAKE_ARGS:-} >&2
fi
jobs=$(nproc 2>/dev/null || echo 2)
# Quiet when the build is up to date or succeeds; the whole log on failure.
log="$build/last-build.log"
if ! cmake --build "$build" -j "$jobs" >"$log" 2>&1; then
  cat "$log" >&2
  echo "velorin: build failed" >&2
  exit 1
fi
