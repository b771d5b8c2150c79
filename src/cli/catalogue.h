#pragma once

#include <QString>

namespace velorin::cli {

// One side of the catalogue opened on the tool's thread for the length of a
// command, and closed on every way out: the tables first, the facade's
// collections over them after (when asked for).
//
// usable() is false when a file of the side cannot be used at all: one that
// is not a database (corrupt, or replaced by something else), a folder that
// cannot be created. The reason has then been printed as
// "velorin COMMAND: REASON"; the file itself is left as it is.
class CatalogueSession
{
public:
    CatalogueSession(const char* command, bool photoSide, bool withCollections = false);
    ~CatalogueSession();
    CatalogueSession(const CatalogueSession&) = delete;
    CatalogueSession& operator=(const CatalogueSession&) = delete;

    bool usable() const { return m_reason.isEmpty(); }
    QString reason() const { return m_reason; }

private:
    QString m_reason;
    bool m_withCollections;
};

// The calling thread's last catalogue failure as a reason for people, with
// a fallback for a failure that recorded none.
QString catalogueFailure();

} // namespace velorin::cli
