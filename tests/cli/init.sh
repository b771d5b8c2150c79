#!/usr/bin/env bash
# velorin init in a HOME of its own: the photo side creates ImageInfo.db with
# its table, a second run leaves it as it is, the video side its folder.
set -euo pipefail
tool=$1
. "$(dirname "$0")/importsupport.sh"
folder=$(dirname "$catalogue")

out=$("$tool" init)
echo "$out"
grep -qx "Photo catalogue: $folder/KivPhoto" <<<"$out"
grep -qx "  ImageInfo.db: ImageInfo, PeopleGroup, PeopleGroupPeopleList, AddrList, TagList" <<<"$out"
grep -qx "  MediaInfo.db: PeopleFace, PeopleInfo" <<<"$out"
grep -qx "  OnlineImageThumbnail_Small.db: OnlineImageThumbnail" <<<"$out"
test "$(grep -c '^  .*\.db: ' <<<"$out")" -eq 14 # the files themselves: the service's test

sum=$(md5sum <"$folder/KivPhoto/ImageInfo.db")
"$tool" init >/dev/null
test "$sum" = "$(md5sum <"$folder/KivPhoto/ImageInfo.db")"

out=$("$tool" init --video)
echo "$out"
grep -qx "Video catalogue: $folder/KivVideo" <<<"$out"
grep -qx "  VideoInfo.db: VideoInfo, VideoPlayList, VideoPlayListMapping" <<<"$out"

# A foreign file in the folder is reported, not changed.
head -c 4096 /dev/urandom >"$folder/KivPhoto/Broken.db"
sum=$(md5sum <"$folder/KivPhoto/Broken.db")
out=$("$tool" init)
grep -q "Broken.db: (not a readable catalogue file)" <<<"$out"
test "$sum" = "$(md5sum <"$folder/KivPhoto/Broken.db")"

fails 2 "unknown argument '--bogus'" "$tool" init --bogus
run "$tool" frobnicate; test "$status" -ne 0
echo OK
