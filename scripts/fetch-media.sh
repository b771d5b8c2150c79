#!/usr/bin/env bash
# Fetches the real test pictures (camera files, orientation sets, broken and
# hostile files) from Debian packages into a cache folder, without installing
# the packages. Idempotent: a stamp file records a complete fetch.
#   scripts/fetch-media.sh DIR
set -euo pipefail

dir=${1:?usage: fetch-media.sh DIR}
packages=(
  golang-github-rwcarlsen-goexif-dev
  golang-github-disintegration-imaging-dev
  gdk-pixbuf-tests
  golang-golang-x-image-dev
  libsdl2-image-tests
  golang-github-gabriel-vasile-mimetype-dev
)
stamp="$dir/.complete-$(printf '%s\n' "${packages[@]}" | md5sum | cut -c1-12)"
[ -f "$stamp" ] && exit 0

mkdir -p "$dir/debs" "$dir/root"
cd "$dir/debs"
download() { apt-get download -q "${packages[@]}" >/dev/null 2>&1; }
if ! download; then
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" apt-get update -qq >&2
  download || { echo "fetch-media: apt-get download failed" >&2; exit 1; }
fi
for deb in *.deb; do
  dpkg-deb -x "$deb" "$dir/root"
done
rm -f "$dir"/debs/*.deb
touch "$stamp"
