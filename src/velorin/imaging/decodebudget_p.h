#pragma once

#include <QtGlobal>

// Memory for decodes that hold a whole picture at once: TIFF and the other
// formats Qt decodes at full size before shrinking, interlaced PNGs, and
// progressive JPEGs (libjpeg keeps every coefficient of the picture until
// the last scan). A 12000 x 6000 panorama holds about 300 MB while it is
// shrunk to a thumbnail; the import decodes on several threads at once, so
// these decodes share one budget for the process instead of each being
// allowed a fixed size.
namespace velorin::imaging {

// A quarter of the memory the process may use (the machine's, or its
// control group's limit when that is lower): what decodes may hold at
// once without pushing the rest of the desktop out.
qint64 decodeBudgetBytes();

// Holds bytes of the budget for its lifetime. Construction waits while
// other decodes hold too much; a share larger than the whole budget is
// refused at once (granted() false), so that one absurd picture cannot
// stall the others.
class DecodeShare
{
public:
    explicit DecodeShare(qint64 bytes);
    ~DecodeShare();
    DecodeShare(const DecodeShare&) = delete;
    DecodeShare& operator=(const DecodeShare&) = delete;

    bool granted() const { return m_bytes >= 0; }

private:
    qint64 m_bytes = -1;
};

} // namespace velorin::imaging
