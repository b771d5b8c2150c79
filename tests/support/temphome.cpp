#include "temphome.h"
#include "privatehome.h"

#include <ctime>
#include <thread>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

#include <velorin/core/sqlitedatabase.h>
#include <velorin/service/databaseservice.h>

namespace {

const char* const variables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                 "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "TZ"};

} // namespace

void TempHomeTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    m_saved.clear();
    for (const char* name : variables)
        m_saved.append({name, qgetenv(name)});
    usePrivateHome(m_dir.path());
}

void TempHomeTest::TearDown()
{
    for (const auto& [name, value] : m_saved) {
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }
    tzset(); // a test may have changed TZ
}

void runOnThread(const std::function<void()>& work)
{
    std::thread(work).join();
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QMap<QString, QString> storedSchema(const QString& path)
{
    QMap<QString, QString> objects;
    static int serial = 0;
    const QString name = QStringLiteral("schema-reader-%1").arg(++serial);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("select name, sql from sqlite_master where name not like 'sqlite!_%' escape '!'"))) {
                while (q.next())
                    objects.insert(q.value(0).toString(), q.value(1).toString());
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return objects;
}

QList<QVariantList> selectRows(SQLiteDatabase& table, const QString& sql)
{
    QList<QVariantList> rows;
    QSqlQuery q(table.getDatabase());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row.append(q.value(i));
        rows.append(row);
    }
    return rows;
}

void PhotoCatalogueTest::SetUp()
{
    TempHomeTest::SetUp();
    service = getDatabaseService();
    service->Initialize(true);
}

void PhotoCatalogueTest::TearDown()
{
    service->UnInitialize();
    TempHomeTest::TearDown();
}
