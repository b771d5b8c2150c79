#pragma once

#include <velorin/global.h>

#include <QString>

// The library's own data folders. Each lookup creates the folder (with every
// missing parent) before returning it, so callers can open files in it at
// once; nothing is cached, so a changed environment (XDG_DATA_HOME, HOME) is
// seen by the next call.
namespace velorin {

// The per-user, non-roaming application data folder: XDG_DATA_HOME, or
// ~/.local/share when it is not set.
VELORIN_EXPORT QString localAppDataFolder();

// <local application data>/Brennart/Quillon/KivPhoto: the photo-side files.
VELORIN_EXPORT QString photoDataFolder();

// <local application data>/Brennart/Quillon/KivVideo: the video-side files.
VELORIN_EXPORT QString videoDataFolder();

} // namespace velorin
