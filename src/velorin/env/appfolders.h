#pragma once

#include <velorin/global.h>

#include <QString>

// The user's media folders and the library's own data folders. Each lookup
// creates the folder (with every missing parent) before returning it, so
// callers can open files in it at once; nothing is cached, so a changed
// environment (XDG_DATA_HOME, user-dirs.dirs, HOME) is seen by the next call.
namespace velorin {

// The user's Pictures, Videos and Music folders: the XDG user folders
// (XDG_PICTURES_DIR, XDG_VIDEOS_DIR, XDG_MUSIC_DIR in user-dirs.dirs), or
// ~/Pictures, ~/Videos and ~/Music when those are not set.
VELORIN_EXPORT QString picturesFolder();
VELORIN_EXPORT QString videosFolder();
VELORIN_EXPORT QString musicFolder();

// The per-user, non-roaming application data folder: XDG_DATA_HOME, or
// ~/.local/share when it is not set.
VELORIN_EXPORT QString localAppDataFolder();

// <local application data>/Brennart/Quillon/KivPhoto: the photo-side files.
VELORIN_EXPORT QString photoDataFolder();

// <local application data>/Brennart/Quillon/KivVideo: the video-side files.
VELORIN_EXPORT QString videoDataFolder();

} // namespace velorin
