#include "viewordering.h"

#include <limits>

namespace velorin {

namespace {

// Working out the instant of a local time costs a time-zone lookup, so two
// local times whose calendar dates lie more than two days apart are ordered
// by those dates: no zone's offsets, in any year, are two days apart, so the
// instants are in the same order. Closer ones, and any pair with another
// kind of time, compare as instants. Every answer is "a's instant is earlier
// than b's", which makes the order a strict weak ordering.
constexpr qint64 farApartDays = 2;

qint64 instantOf(const QDateTime& t)
{
    return t.date().isValid() ? t.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

} // namespace

bool dateTimeLess(const QDateTime& a, const QDateTime& b)
{
    const qint64 days = a.daysTo(b); // 0 when either has no date
    if ((days > farApartDays || days < -farApartDays) && a.timeSpec() == Qt::LocalTime
        && b.timeSpec() == Qt::LocalTime)
        return days > 0;
    // Qt compares valid date-times as instants, cheaply when their offsets
    // match; a local time that falls into a skipped hour is not valid, but
    // it still names an instant.
    if (a.isValid() && b.isValid())
        return a < b;
    return instantOf(a) < instantOf(b);
}

} // namespace velorin
