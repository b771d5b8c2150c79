#include "videobasicinfo.h"
#include "videoreader_p.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

#include <mutex>

// The process-wide loader of the video plug-in. One mutex guards the use
// count, the module handle and the resolved entry points; the plug-in's own
// initialisation and clean-up run under it too, so that a thread that
// starts using the plug-in while another drops the last use either finds it
// loaded and initialised or loads it again itself.

Q_LOGGING_CATEGORY(velorin::imaging::lcVideo, "velorin.video", QtWarningMsg)

namespace {

constexpr char PluginFileName[] = "libclipvane.so";

struct PluginState
{
    std::mutex mutex;
    void* handle = nullptr;
    int uses = 0;
    velorin::imaging::VideoPluginCalls calls;
    void (*uninitialize)() = nullptr;
};

PluginState& pluginState()
{
    static PluginState state;
    return state;
}

// The folder this library was loaded from: where it is installed, and in
// the build tree the folder the plug-in is built into beside it.
QString libraryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&VideoLibInit), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
}

// Opens the plug-in from the application's folder (when there is an
// application object), else from this library's folder. Null when neither
// holds a plug-in that loads and initialises.
void* openPlugin(PluginState& state)
{
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath();
    folders << libraryFolder();
    for (const QString& folder : std::as_const(folders)) {
        if (folder.isEmpty())
            continue;
        const QString path = QDir(folder).absoluteFilePath(QLatin1String(PluginFileName));
        if (!QFileInfo(path).isFile())
            continue;
        // RTLD_NODELETE: the last VideoLibUninit() uninitialises the
        // plug-in and drops the handle, but its code stays mapped. FFmpeg
        // and the network and TLS libraries it pulls in keep process-wide
        // state (and per-thread data of every thread that read a video)
        // that unmapping would leave dangling, and a later first use then
        // costs microseconds instead of loading some hundred libraries.
        void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!handle) {
            qCWarning(velorin::imaging::lcVideo, "cannot load %s: %s", qUtf8Printable(path), dlerror());
            continue;
        }
        if (auto initialize = reinterpret_cast<int (*)()>(dlsym(handle, "VideoPlugin_Initialize"))) {
            if (const int status = initialize(); status != 0) {
                qCWarning(velorin::imaging::lcVideo, "%s failed to initialise (%d)", qUtf8Printable(path), status);
                dlclose(handle);
                continue;
            }
        }
        state.uninitialize = reinterpret_cast<void (*)()>(dlsym(handle, "VideoPlugin_UnInitialize"));
        state.calls.loaded = true;
        state.calls.read = reinterpret_cast<decltype(state.calls.read)>(dlsym(handle, "MIGetMediaObjectBasicInfo2"));
        state.calls.freeImage = reinterpret_cast<decltype(state.calls.freeImage)>(dlsym(handle, "MIFreeRawImage"));
        return handle;
    }
    return nullptr;
}

} // namespace

void VideoLibInit()
{
    PluginState& state = pluginState();
    std::lock_guard lock(state.mutex);
    // Loaded only by the first user: while uses are held a missing plug-in
    // is not looked for again, and one that is there stays loaded.
    if (state.uses == 0 && !state.handle)
        state.handle = openPlugin(state);
    ++state.uses;
}

void VideoLibUninit()
{
    PluginState& state = pluginState();
    std::lock_guard lock(state.mutex);
    // More calls than VideoLibInit are ignored: the count never goes below
    // zero, so a stray call cannot make a later VideoLibInit skip the load
    // or a later VideoLibUninit unload a plug-in someone else still uses.
    if (state.uses == 0 || --state.uses > 0 || !state.handle)
        return;
    if (state.uninitialize)
        state.uninitialize();
    dlclose(state.handle);
    state.handle = nullptr;
    state.uninitialize = nullptr;
    state.calls = {};
}

bool VideoLibIsLoaded()
{
    PluginState& state = pluginState();
    std::lock_guard lock(state.mutex);
    return state.handle != nullptr;
}

namespace velorin::imaging {

VideoPluginCalls videoPluginCalls()
{
    PluginState& state = pluginState();
    std::lock_guard lock(state.mutex);
    return state.calls;
}

} // namespace velorin::imaging
