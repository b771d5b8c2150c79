#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace velorin::cli {

// Text the tool did not write itself (file names, paths, album names, tags,
// metadata, reasons that quote them) made safe to print on one line:
// control characters (C0, DEL and C1), the line and paragraph separators
// and the direction overrides are written as escapes (\t, \n, \r, \xHH,
// \uHHHH) and a backslash as \\, so one record stays one line and a name
// cannot forge the tool's own lines. Bytes of a file name that are not
// UTF-8 (kept by fileNameText) come out as \xHH. JSON output does not use
// this: its string escaping is exact already.
QString printable(const QString& text);

// A file name as the file system gives it (bytes) and whether a QString can
// hold it faithfully: the catalogue keys its rows by a QString path, and
// bytes that are not UTF-8 do not survive the round trip.
bool isFaithfulFileName(const QByteArray& name);
// The same, for a name already decoded.
bool isFaithfulFileName(const QByteArray& name, const QString& decoded);

// The name for display: the UTF-8 parts as text, every other byte kept so
// that printable() writes it as \xHH.
QString fileNameText(const QByteArray& name);

// The command line as the shell passed it (main keeps it before Qt decodes
// the arguments, losing bytes that are not UTF-8), and the bytes of one of
// the decoded arguments.
void keepCommandLine(int argc, char** argv);
QByteArray argumentBytes(const QString& argument);

// A span of seconds as m:ss, or h:mm:ss from an hour on.
QString secondsClock(qint64 seconds);
// The same for milliseconds, rounded to the nearest second.
QString millisecondsClock(qint64 milliseconds);

} // namespace velorin::cli
