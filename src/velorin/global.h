#pragma once

// Export macro of libvelorin.so. The library is built with hidden visibility;
// only classes and functions marked VELORIN_EXPORT are part of its ABI.

#include <QtCore/qglobal.h>

#if defined(VELORIN_BUILD_LIBRARY)
#  define VELORIN_EXPORT Q_DECL_EXPORT
#else
#  define VELORIN_EXPORT Q_DECL_IMPORT
#endif
