#!/usr/bin/env bash
# Makes the generated video clips the tests and benchmarks read, with ffmpeg
# (lavfi sources, libx264 / mpeg4 and aac). Idempotent: a file that exists is
# kept, and every file is written under a temporary name first, so an
# interrupted run never leaves a half-made clip behind.
#   scripts/make-video-media.sh DIR
#
# DIR/
#   rotated-90.mp4 rotated-180.mp4 rotated-270.mp4
#                        320x240 stored, a display matrix turning it by 90,
#                        180 or 270 degrees clockwise; shown upright, the
#                        picture is white in its top half and black below
#   anamorphic.mp4 anamorphic.mkv
#                        720x576 with 64:45 pixels (shown 16:9), 2 s
#   performer.mp4 performer.mkv
#                        320x240 3 s with sound, performer 'Jane Doe'
#   audio-only.m4a audio-only.mp4
#                        2 s of sound, no picture
#   black-start.mp4      320x240 4 s: one black second, then a test pattern
#   uhd.mp4              3840x2160, 1 s
#   one-frame.mp4        320x240, a single frame
#   phone-1080p.mp4      1920x1080 H.264 30 fps, a key frame a second, with
#                        sound, 1.6 s: what a phone records
# DIR/bad/
#   empty.mp4            zero bytes
#   moov-cut.mp4         an mp4 whose index (written last) is cut off
#   half-faststart.mp4   an mp4 with its index first, cut in half
#   random.mp4           64 KiB of pseudo-random bytes
#   huge.mkv             a Matroska file claiming 65535 x 65535 pixels
set -euo pipefail

dir=${1:?usage: make-video-media.sh DIR}
mkdir -p "$dir/bad"
cd "$dir"

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
enc() { ff "$@" "$tmp"; }
x264=(-c:v libx264 -preset veryfast -pix_fmt yuv420p)

# produce NAME COMMAND...: unless NAME exists, runs COMMAND, which writes
# "$tmp", and moves the result into place.
produce() {
  local name=$1
  shift
  [ -s "$name" ] && return 0
  tmp="$(dirname "$name")/.tmp-$(basename "$name")"
  "$@"
  mv -f "$tmp" "$name"
}

# Stored picture of each rotated clip: the upright picture (white top half)
# turned against the display rotation.
rotated_source() {
  local box
  case $1 in
    90) box="x=0:y=0:w=160:h=240" ;;     # white left half, shown on top
    180) box="x=0:y=120:w=320:h=120" ;;  # white bottom half
    270) box="x=160:y=0:w=160:h=240" ;;  # white right half
  esac
  ff -f lavfi -i "color=c=black:s=320x240:r=25:d=2,drawbox=$box:color=white:t=fill" \
    "${x264[@]}" -f mp4 "$tmp.src"
  # The rotate tag becomes the display matrix on a copy; which way it turns
  # has changed between ffmpeg versions, so the result is checked against
  # ffprobe (which gives the matrix's counter-clockwise angle) and made again
  # with the other sign when it turned the wrong way.
  local want=$(((360 - $1) % 360)) tag got
  for tag in "$1" $(((360 - $1) % 360)); do
    ff -i "$tmp.src" -c copy -metadata:s:v:0 rotate="$tag" -f mp4 "$tmp"
    got=$(ffprobe -v error -select_streams v:0 -show_entries stream_side_data=rotation -of csv=p=0 "$tmp")
    [ $(((${got:-0} + 360) % 360)) -eq "$want" ] && break
  done
  rm -f "$tmp.src"
}
for angle in 90 180 270; do
  produce "rotated-$angle.mp4" rotated_source "$angle"
done

anamorphic() {
  ff -f lavfi -i "testsrc2=size=720x576:rate=25:duration=2,setsar=64/45" "${x264[@]}" -f "$1" "$tmp"
}
produce anamorphic.mp4 anamorphic mp4
produce anamorphic.mkv anamorphic matroska

src=(-f lavfi -i testsrc2=size=320x240:rate=25:duration=3 -f lavfi -i sine=duration=3)
produce performer.mp4 enc "${src[@]}" "${x264[@]}" -c:a aac -shortest -metadata artist='Jane Doe' \
  -metadata performer='Jane Doe' -movflags +use_metadata_tags -f mp4
produce performer.mkv enc "${src[@]}" "${x264[@]}" -c:a aac -shortest -metadata LEAD_PERFORMER='Jane Doe' \
  -f matroska

produce audio-only.m4a enc -f lavfi -i sine=frequency=440:duration=2 -c:a aac -f ipod
produce audio-only.mp4 enc -f lavfi -i sine=frequency=440:duration=2 -c:a aac -f mp4

produce black-start.mp4 enc -filter_complex \
  "color=c=black:s=320x240:r=25:d=1[a];testsrc2=size=320x240:rate=25:duration=3[b];[a][b]concat=n=2:v=1:a=0" \
  "${x264[@]}" -f mp4

produce uhd.mp4 enc -f lavfi -i testsrc2=size=3840x2160:rate=10:duration=1 -c:v libx264 -preset ultrafast \
  -pix_fmt yuv420p -f mp4
produce one-frame.mp4 enc -f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 1 "${x264[@]}" -f mp4
produce phone-1080p.mp4 enc -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=1.6 \
  -f lavfi -i sine=frequency=440:duration=1.6 -c:v libx264 -preset fast -profile:v high -g 30 \
  -pix_fmt yuv420p -c:a aac -shortest -f mp4

# The broken files.
[ -e bad/empty.mp4 ] || : >bad/empty.mp4

cut_moov() {
  # The mp4 muxer writes the index after the media data: keep the start only.
  ff -f lavfi -i testsrc2=size=320x240:rate=25:duration=2 "${x264[@]}" -f mp4 "$tmp.src"
  head -c $(($(stat -c %s "$tmp.src") * 3 / 4)) "$tmp.src" >"$tmp"
  rm -f "$tmp.src"
}
produce bad/moov-cut.mp4 cut_moov

cut_half() {
  ff -f lavfi -i testsrc2=size=320x240:rate=25:duration=4 "${x264[@]}" -movflags +faststart -f mp4 "$tmp.src"
  head -c $(($(stat -c %s "$tmp.src") / 2)) "$tmp.src" >"$tmp"
  rm -f "$tmp.src"
}
produce bad/half-faststart.mp4 cut_half

# Seeded bytes, so a failure can be reproduced on another machine.
random_bytes() {
  perl -e 'srand(7); print map { chr(int(rand(256))) } 1 .. 65536' >"$tmp"
}
produce bad/random.mp4 random_bytes

huge() {
  # 320 x 256 is stored as PixelWidth (B0) and PixelHeight (BA), two bytes
  # each: both become 65535.
  ff -f lavfi -i testsrc2=size=320x256:rate=25:duration=1 -c:v mpeg4 -f matroska "$tmp.src"
  perl -0777 -pe 's/\xB0\x82\x01\x40/\xB0\x82\xFF\xFF/; s/\xBA\x82\x01\x00/\xBA\x82\xFF\xFF/' "$tmp.src" >"$tmp"
  if cmp -s "$tmp.src" "$tmp"; then
    echo "make-video-media: the picture size of huge.mkv was not found to patch" >&2
    exit 1
  fi
  rm -f "$tmp.src"
}
produce bad/huge.mkv huge
