#include "islideshowfile.h"

ISlideShowFile::ISlideShowFile() = default;
ISlideShowFile::ISlideShowFile(const ISlideShowFile&) = default;
ISlideShowFile& ISlideShowFile::operator=(const ISlideShowFile&) = default;
ISlideShowFile::~ISlideShowFile() = default;
