#pragma once

#include <velorin/global.h>

#include <QDateTime>
#include <QString>

// Key comparisons that every sorted view uses the same way, so that a photo
// list and a video list put the same dates and names in the same order.
namespace velorin {

// a's instant is earlier than b's; a date-time without a date comes first.
// A strict weak ordering over local times, UTC and fixed offsets together.
VELORIN_EXPORT bool dateTimeLess(const QDateTime& a, const QDateTime& b);

// Texts in the user's locale order.
inline bool textLess(const QString& a, const QString& b)
{
    return QString::localeAwareCompare(a, b) < 0;
}

// a before b by a key of the wrappers' elements: `less` compares two
// wrappers whose elements are both there; an empty wrapper comes first.
template <class Wrapper, class Less>
bool byElement(const Wrapper& a, const Wrapper& b, Less less)
{
    const auto* ea = a.element();
    const auto* eb = b.element();
    if (!ea || !eb)
        return !ea && eb;
    return less(a, b);
}

} // namespace velorin
