#include "regularfile_p.h"
#include "videoreader_p.h"

#include <QFile>
#include <QUrl>

#include <dlfcn.h>

#include <cstddef>
#include <limits>
#include <mutex>
#include <string>

// The system's MediaInfo library, loaded by name on first use and kept for
// the life of the process. Its C interface takes wide strings, which are
// UTF-32 here; its enumerations are plain ints.

namespace velorin::imaging {

namespace {

using Char = wchar_t;

struct MediaInfoCalls
{
    void* (*New)() = nullptr;
    void* (*ListNew)() = nullptr;
    void (*Delete)(void*) = nullptr;
    void (*ListDelete)(void*) = nullptr;
    size_t (*Open)(void*, const Char*) = nullptr;
    size_t (*ListOpen)(void*, const Char*, int options) = nullptr;
    size_t (*OpenBufferInit)(void*, unsigned long long fileSize, unsigned long long fileOffset) = nullptr;
    size_t (*OpenBufferContinue)(void*, unsigned char* buffer, size_t size) = nullptr;
    unsigned long long (*OpenBufferContinueGoToGet)(void*) = nullptr;
    size_t (*OpenBufferFinalize)(void*) = nullptr;
    void (*Close)(void*) = nullptr;
    void (*ListClose)(void*, size_t file) = nullptr;
    const Char* (*Inform)(void*, size_t reserved) = nullptr;
    const Char* (*ListInform)(void*, size_t file, size_t reserved) = nullptr;
    const Char* (*GetI)(void*, int streamKind, size_t stream, size_t parameter, int infoKind) = nullptr;
    const Char* (*ListGetI)(void*, size_t file, int streamKind, size_t stream, size_t parameter,
                            int infoKind) = nullptr;
    const Char* (*Get)(void*, int streamKind, size_t stream, const Char* parameter, int infoKind,
                       int searchKind) = nullptr;
    const Char* (*ListGet)(void*, size_t file, int streamKind, size_t stream, const Char* parameter, int infoKind,
                           int searchKind) = nullptr;
    const Char* (*Option)(void*, const Char* option, const Char* value) = nullptr;
    const Char* (*ListOption)(void*, const Char* option, const Char* value) = nullptr;
    size_t (*StateGet)(void*) = nullptr;
    size_t (*ListStateGet)(void*) = nullptr;
    size_t (*CountGet)(void*, int streamKind, size_t stream) = nullptr;
    size_t (*ListCountGet)(void*, size_t file, int streamKind, size_t stream) = nullptr;
    size_t (*ListCountGetFiles)(void*) = nullptr;
};

constexpr int StreamGeneral = 0;
constexpr int InfoName = 0;
constexpr int InfoText = 1;

template<class F>
bool resolve(void* module, const char* name, F& function)
{
    function = reinterpret_cast<F>(dlsym(module, name));
    return function != nullptr;
}

// Null when the library is missing or lacks one of its entry points.
const MediaInfoCalls* mediaInfo()
{
    static std::once_flag once;
    static MediaInfoCalls calls;
    static bool usable = false;
    std::call_once(once, [] {
        void* module = dlopen("libmediainfo.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            qCDebug(lcVideo, "MediaInfo not loaded: %s", dlerror());
            return;
        }
        MediaInfoCalls& c = calls;
        usable = resolve(module, "MediaInfo_New", c.New) & resolve(module, "MediaInfoList_New", c.ListNew)
                 & resolve(module, "MediaInfo_Delete", c.Delete)
                 & resolve(module, "MediaInfoList_Delete", c.ListDelete)
                 & resolve(module, "MediaInfo_Open", c.Open) & resolve(module, "MediaInfoList_Open", c.ListOpen)
                 & resolve(module, "MediaInfo_Open_Buffer_Init", c.OpenBufferInit)
                 & resolve(module, "MediaInfo_Open_Buffer_Continue", c.OpenBufferContinue)
                 & resolve(module, "MediaInfo_Open_Buffer_Continue_GoTo_Get", c.OpenBufferContinueGoToGet)
                 & resolve(module, "MediaInfo_Open_Buffer_Finalize", c.OpenBufferFinalize)
                 & resolve(module, "MediaInfo_Close", c.Close) & resolve(module, "MediaInfoList_Close", c.ListClose)
                 & resolve(module, "MediaInfo_Inform", c.Inform)
                 & resolve(module, "MediaInfoList_Inform", c.ListInform)
                 & resolve(module, "MediaInfo_GetI", c.GetI) & resolve(module, "MediaInfoList_GetI", c.ListGetI)
                 & resolve(module, "MediaInfo_Get", c.Get) & resolve(module, "MediaInfoList_Get", c.ListGet)
                 & resolve(module, "MediaInfo_Option", c.Option)
                 & resolve(module, "MediaInfoList_Option", c.ListOption)
                 & resolve(module, "MediaInfo_State_Get", c.StateGet)
                 & resolve(module, "MediaInfoList_State_Get", c.ListStateGet)
                 & resolve(module, "MediaInfo_Count_Get", c.CountGet)
                 & resolve(module, "MediaInfoList_Count_Get", c.ListCountGet)
                 & resolve(module, "MediaInfoList_Count_Get_Files", c.ListCountGetFiles);
        if (!usable)
            qCWarning(lcVideo, "libmediainfo.so.0 lacks an entry point; performers are not read");
    });
    return usable ? &calls : nullptr;
}

// MediaInfo names the performer "Performer" when a container's own tag for
// it is one it maps (an MP4's artist atom). Tags it does not map keep their
// names: an MP4's free-form keys ("performer", "artist") and Matroska's
// LEAD_PERFORMER and ARTIST as FFmpeg writes them. These are asked next, in
// that order of preference.
constexpr const Char* PerformerNames[] = {L"Performer", L"LEAD_PERFORMER", L"performer", L"ARTIST", L"artist"};

} // namespace

QString mediaInfoPerformer(const QString& path)
{
    // Only local regular files reach MediaInfo: its reads cannot be
    // interrupted, so a stream URL (which FFmpeg's interruptible reads
    // handle), a FIFO or a device would hold the reading thread for as long
    // as the other end pleases.
    const QString local = path.startsWith(QLatin1String("file://")) ? QUrl(path).toLocalFile() : path;
    if (!local.startsWith(u'/') && local.contains(QLatin1String("://")))
        return {};
    QFile file;
    if (!openRegularFile(file, local, std::numeric_limits<qint64>::max()))
        return {};
    const MediaInfoCalls* mi = mediaInfo();
    if (!mi)
        return {};
    void* handle = mi->New();
    if (!handle)
        return {};
    // MediaInfo opens the descriptor checked above rather than the name,
    // which a FIFO could have taken the place of since; the name is also
    // plain ASCII, whatever the locale's encoding of the path would be.
    const std::wstring opened = L"/proc/self/fd/" + std::to_wstring(file.handle());
    QString performer;
    // Only the container's tags are wanted, not the streams' details: the
    // quickest parse still reads them and halves the time of an open.
    mi->Option(handle, L"ParseSpeed", L"0");
    if (mi->Open(handle, opened.c_str()) != 0) {
        for (const Char* name : PerformerNames) {
            const Char* value = mi->Get(handle, StreamGeneral, 0, name, InfoText, InfoName);
            if (value && *value) {
                performer = QString::fromWCharArray(value);
                break;
            }
        }
        mi->Close(handle);
    }
    mi->Delete(handle);
    return performer;
}

} // namespace velorin::imaging
