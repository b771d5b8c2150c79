#pragma once

#include <QStringList>

// The tool's subcommands; each returns the process exit status.
namespace velorin::cli {

int init(const QStringList& args);
// Pictures and folders of pictures put into the photo catalogue, and the
// catalogue's photos listed by date.
int import(const QStringList& args);
int list(const QStringList& args);
// The video catalogue's videos: name, duration, resolution, performer, path.
int videos(const QStringList& args);
// The photo library's tags and places, sorted for display, with their counts.
int tags(const QStringList& args);
int places(const QStringList& args);
// Photo albums (listing, creation, membership, trash) and the photo trash.
int albums(const QStringList& args);
int trash(const QStringList& args);
// Video playlists (listing, creation, membership and order, trash).
int playlists(const QStringList& args);
// The four thumbnails of a picture written as BMP files.
int thumbs(const QStringList& args);
// A picture's metadata as the EXIF reader formats it.
int exif(const QStringList& args);
// A video's media facts, performer and frame thumbnail as the video reader
// reads them.
int videoinfo(const QStringList& args);

// Names the system time zone in TZ when it is unset (see timezone.cpp).
void pinLocalTimeZone();

} // namespace velorin::cli
