#include "catalogue.h"
#include "printable.h"

#include <QTextStream>

#include <velorin/service/databaseservice.h>
#include <velorin/core/dberror.h>
#include <velorin/service/velorin.h>

namespace velorin::cli {

CatalogueSession::CatalogueSession(const char* command, bool photoSide, bool withCollections)
    : m_withCollections(withCollections)
{
    getDatabaseService()->Initialize(photoSide);
    m_reason = velorin::describeLastDbError();
    if (!m_reason.isEmpty())
        QTextStream(stderr) << "velorin " << command << ": " << printable(m_reason) << '\n';
    else if (m_withCollections)
        getVelorin()->Initialize(photoSide);
}

CatalogueSession::~CatalogueSession()
{
    if (m_withCollections && usable())
        getVelorin()->UnInitialize();
    getDatabaseService()->UnInitialize();
}

QString catalogueFailure()
{
    const QString reason = velorin::describeLastDbError();
    return reason.isEmpty() ? QStringLiteral("the catalogue could not be written") : reason;
}

} // namespace velorin::cli
