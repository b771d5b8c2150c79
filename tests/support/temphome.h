#pragma once

#include <functional>
#include <ostream>

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

#include <gtest/gtest.h>

// Fixture: every test runs with HOME and the XDG folders inside a temporary
// folder of its own, so the library never sees the real user's files.
class TempHomeTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QString root() const { return m_dir.path(); }
    // What XDG_DATA_HOME points to; not created in advance.
    QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
    QString photoFolder() const { return dataHome() + QStringLiteral("/Brennart/Quillon/KivPhoto"); }
    QString videoFolder() const { return dataHome() + QStringLiteral("/Brennart/Quillon/KivVideo"); }

private:
    QTemporaryDir m_dir;
    QList<QPair<QByteArray, QByteArray>> m_saved;
};

// Runs `work` on a new operating-system thread and waits for it.
void runOnThread(const std::function<void()>& work);

// The whole content of a file; empty when it cannot be read.
QByteArray fileBytes(const QString& path);

// Writes `bytes` to `path`, creating missing folders.
void writeFile(const QString& path, const QByteArray& bytes);

// Every object of a SQLite file (tables and indexes, SQLite's own left out)
// with its stored CREATE text, read through a read-only connection of the
// test's own. Empty when the file cannot be read as a database.
QMap<QString, QString> storedSchema(const QString& path);

class DatabaseService;
class SQLiteDatabase;

// Every row of a statement run on this thread's connection to table, each as
// its column values; a failed statement is a test failure.
QList<QVariantList> selectRows(SQLiteDatabase& table, const QString& sql);
// The first value of the first row; null when there is none.
inline QVariant selectValue(SQLiteDatabase& table, const QString& sql)
{
    return selectRows(table, sql).value(0).value(0);
}

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// A temporary HOME with the photo side of the catalogue open on this thread
// for the length of the test.
class PhotoCatalogueTest : public TempHomeTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    DatabaseService* service = nullptr;
};
