#include "codecpicture_p.h"

#include <QFileInfo>

#include <array>

namespace velorin::imaging {

namespace {

// Suffixes of the camera RAW formats LibRaw decodes. A RAW file is sent to
// LibRaw by its name: DNG, NEF, ARW, PEF and most others are TIFF files on
// the outside, which Qt's TIFF reader would take and show their first
// directory, often a 160-pixel thumbnail.
bool hasRawSuffix(const QString& path)
{
    static constexpr std::array<QStringView, 21> raw = {
        u"dng", u"cr2", u"cr3", u"crw", u"nef", u"nrw", u"arw", u"srf", u"sr2", u"orf", u"rw2",
        u"raf", u"pef", u"srw", u"mrw", u"3fr", u"erf", u"kdc", u"dcr", u"mos", u"iiq"};
    const QString suffix = QFileInfo(path).suffix();
    for (QStringView s : raw) {
        if (suffix.compare(s, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

std::unique_ptr<CodecPicture> openCodecPicture(const QString& path, const QByteArray& bytes)
{
    try {
        if (std::unique_ptr<CodecPicture> heif = openHeifPicture(bytes))
            return heif;
        if (hasRawSuffix(path))
            return openRawPicture(bytes);
    } catch (...) {
    }
    return nullptr;
}

QImage fittedInto(const QImage& image, QSize box)
{
    if (box.isEmpty() || image.isNull() || (image.width() <= box.width() && image.height() <= box.height()))
        return image;
    const QSize fitted = image.size().scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace velorin::imaging
