#include <QDir>
#include <QTemporaryDir>

#include <velorin/env/datafolders_p.h>

#include "support/temphome.h"

TEST(DataFoldersTest, AFileIsTakenFromTheFirstFolderThatHoldsIt)
{
    QTemporaryDir beside, installed;
    const QStringList folders = {beside.path(), installed.path()};
    const QString name = QStringLiteral("en-US/UI/VelorinRes.xml");

    // Nowhere: where the installed copy would be.
    EXPECT_EQ(velorin::dataFilePath(name, folders), installed.path() + u'/' + name);
    writeFile(installed.path() + u'/' + name, "installed");
    EXPECT_EQ(velorin::dataFilePath(name, folders), installed.path() + u'/' + name);
    writeFile(beside.path() + u'/' + name, "beside");
    EXPECT_EQ(velorin::dataFilePath(name, folders), beside.path() + u'/' + name);

    EXPECT_EQ(velorin::dataFilePath(name, {}), QString());
}
