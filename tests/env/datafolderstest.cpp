#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <velorin/env/datafolders_p.h>

#include "support/temphome.h"

TEST(DataFoldersTest, TheExecutablesFolderComesBeforeTheInstalledOne)
{
    const QStringList folders = velorin::dataFolders();
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(folders.constFirst(), QCoreApplication::applicationDirPath());
    EXPECT_TRUE(QDir::isAbsolutePath(folders.constLast()));
    EXPECT_TRUE(folders.constLast().endsWith(QStringLiteral("/share/velorin"))) << folders.constLast().toStdString();
}

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
