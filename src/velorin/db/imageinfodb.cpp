#include "imageinfodb.h"

#include <limits>
#include <memory>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include "recordbinding_p.h"
#include <velorin/core/dberror.h>
#include <velorin/core/sqlstatement.h>
#include <velorin/env/appfolders.h>

const TableDescription ImageInfoDB::Description = {
    "ImageInfo", "ImageInfo.db", "ImageInfo", velorin::photoDataFolder, CreateTableStatement, IndexStatements,
    velorin::ImageColumnUpgrades};

ImageInfoDB::ImageInfoDB()
    : SQLiteTable(Description)
{
}

ImageInfoDB::~ImageInfoDB() = default;

bool ImageInfoDB::insertRecord(DBImageInfo* info)
{
    if (!info)
        return false;
    velorin::SqlStatement q(*this, InsertStatement);
    velorin::bindImageCommon(q, *info);
    q.bind(info->faceDetected)
        .bind(info->fIsDeleted)
        .bind(info->fIsEdited)
        .bind(info->originalPath)
        .bind(info->fIsPhotoRoll)
        .bind(info->fIsLocalLost)
        .bind(info->fRotateAngle);
    return q.exec();
}

bool ImageInfoDB::deleteRecord(QString& fullPath)
{
    return exec(DeleteStatement, {fullPath});
}

namespace {

// What a record field is made of a column's QVariant, as Qt's SQLite driver
// gives it.
struct FromVariant
{
    static int integer(const QVariant& v) { return v.toInt(); }
    static qint64 size(const QVariant& v) { return qint64(v.toULongLong()); }
    static bool flag(const QVariant& v) { return v.toBool(); }
    static double real(const QVariant& v) { return v.toDouble(); }
    static QString text(const QVariant& v) { return v.toString(); }
    static QDateTime dateTime(const QVariant& v) { return v.toDateTime(); }
};

// A row of a QSqlQuery.
class QueryRow
{
public:
    explicit QueryRow(const QSqlQuery& query)
        : m_query(query)
    {
    }

    int integer(int column) const { return FromVariant::integer(m_query.value(column)); }
    qint64 size(int column) const { return FromVariant::size(m_query.value(column)); }
    bool flag(int column) const { return FromVariant::flag(m_query.value(column)); }
    double real(int column) const { return FromVariant::real(m_query.value(column)); }
    QString text(int column) const { return FromVariant::text(m_query.value(column)); }
    QDateTime dateTime(int column) const { return FromVariant::dateTime(m_query.value(column)); }

private:
    const QSqlQuery& m_query;
};

// A row of a statement run on the SQLite connection itself. Through
// QSqlQuery, the driver turns every column of every row into a QVariant (and
// every text into UTF-16 inside SQLite first), which on a catalogue load
// costs more than SQLite's own reading. Each getter decodes the storage
// class a column normally holds itself, with the result FromVariant gives;
// any other value (a text in a number column, a blob, a number out of
// range) is made into the driver's QVariant and converted by FromVariant,
// so both kinds of row agree on every stored value.
class StatementRow
{
public:
    explicit StatementRow(sqlite3_stmt* statement)
        : m_statement(statement)
    {
    }

    int integer(int column) const
    {
        if (type(column) == SQLITE_INTEGER) {
            const qint64 v = sqlite3_column_int64(m_statement, column);
            if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
                return int(v);
        }
        return FromVariant::integer(driverValue(column));
    }

    qint64 size(int column) const
    {
        if (type(column) == SQLITE_INTEGER) {
            const qint64 v = sqlite3_column_int64(m_statement, column);
            if (v >= 0)
                return v;
        }
        return FromVariant::size(driverValue(column));
    }

    bool flag(int column) const
    {
        if (type(column) == SQLITE_INTEGER) {
            const qint64 v = sqlite3_column_int64(m_statement, column);
            if (v == 0 || v == 1)
                return v == 1;
        }
        return FromVariant::flag(driverValue(column));
    }

    double real(int column) const
    {
        return type(column) == SQLITE_FLOAT ? sqlite3_column_double(m_statement, column)
                                            : FromVariant::real(driverValue(column));
    }

    QString text(int column) const
    {
        switch (type(column)) {
        case SQLITE_TEXT:
            return textOf(column);
        case SQLITE_NULL:
            return QString();
        default:
            return FromVariant::text(driverValue(column));
        }
    }

    // The catalogue writes its date-times as "yyyy-MM-ddTHH:mm:ss"; such a
    // text gives the local date-time QDateTime::fromString(text,
    // Qt::ISODate) makes of it, without going through the general parser.
    QDateTime dateTime(int column) const
    {
        if (type(column) == SQLITE_TEXT) {
            const auto* p = sqlite3_column_text(m_statement, column);
            const int n = sqlite3_column_bytes(m_statement, column);
            if (p && n == 19 && p[4] == '-' && p[7] == '-' && p[10] == 'T' && p[13] == ':' && p[16] == ':') {
                const int year = number(p, 4), month = number(p + 5, 2), day = number(p + 8, 2);
                const int hour = number(p + 11, 2), minute = number(p + 14, 2), second = number(p + 17, 2);
                if (year > 0 && QDate::isValid(year, month, day) && QTime::isValid(hour, minute, second))
                    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
            }
        }
        return FromVariant::dateTime(driverValue(column));
    }

private:
    int type(int column) const { return sqlite3_column_type(m_statement, column); }

    // The decimal value of n digits; -1 when one is not a digit.
    static int number(const unsigned char* p, int n)
    {
        int v = 0;
        for (int i = 0; i < n; ++i) {
            if (p[i] < '0' || p[i] > '9')
                return -1;
            v = v * 10 + (p[i] - '0');
        }
        return v;
    }

    // ASCII text is the same in UTF-8 and as Latin-1, which Qt converts
    // fastest; any other text comes as UTF-16 from SQLite, as the driver
    // reads it.
    QString textOf(int column) const
    {
        const auto* p = sqlite3_column_text(m_statement, column);
        const int n = sqlite3_column_bytes(m_statement, column);
        unsigned char high = 0;
        for (int i = 0; p && i < n; ++i)
            high |= p[i];
        if (p && high < 0x80)
            return QString::fromLatin1(reinterpret_cast<const char*>(p), n);
        return utf16Of(column);
    }

    QString utf16Of(int column) const
    {
        const auto* u = static_cast<const QChar*>(sqlite3_column_text16(m_statement, column));
        return QString(u, sqlite3_column_bytes16(m_statement, column) / int(sizeof(QChar)));
    }

    // The value Qt's SQLite driver makes of the column.
    QVariant driverValue(int column) const
    {
        switch (type(column)) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(m_statement, column));
        case SQLITE_NULL:
            return QVariant(QMetaType::fromType<QString>());
        case SQLITE_BLOB: {
            const auto* blob = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
            return QVariant(QByteArray(blob, sqlite3_column_bytes(m_statement, column)));
        }
        default:
            return QVariant(utf16Of(column));
        }
    }

    sqlite3_stmt* m_statement;
};

// A "select *" row, by position in schema order, whichever way it is read.
template <class Row>
void fillRecord(const Row& row, DBImageInfo& out)
{
    out.id = row.integer(ImageInfoDB::ColId);
    out.name = row.text(ImageInfoDB::ColName);
    out.fullPath = row.text(ImageInfoDB::ColFullPath);
    out.fileSize = row.size(ImageInfoDB::ColFileSize);
    out.mediaModifyDate = row.dateTime(ImageInfoDB::ColMediaModifyDate);
    out.mediaRating = row.integer(ImageInfoDB::ColMediaRating);
    out.mediaTag = row.text(ImageInfoDB::ColMediaTag);
    out.mediaComment = row.text(ImageInfoDB::ColMediaComment);
    out.exifDate = row.text(ImageInfoDB::ColExifDate);
    out.orientation = row.integer(ImageInfoDB::ColOrientation);
    out.latitude = row.real(ImageInfoDB::ColLatitude);
    out.longitude = row.real(ImageInfoDB::ColLongitude);
    out.altitude = row.real(ImageInfoDB::ColAltitude);
    out.address = row.text(ImageInfoDB::ColAddress);
    out.faceDetected = row.flag(ImageInfoDB::ColFaceDetected);
    out.fIsDeleted = row.flag(ImageInfoDB::ColIsDeleted);
    out.fIsEdited = row.flag(ImageInfoDB::ColIsEdited);
    out.originalPath = row.text(ImageInfoDB::ColOriginalPath);
    out.fIsPhotoRoll = row.flag(ImageInfoDB::ColIsPhotoRoll);
    out.fIsLocalLost = row.flag(ImageInfoDB::ColIsLocalLost);
    out.fRotateAngle = row.integer(ImageInfoDB::ColRotateAngle);
}

// The SQLite connection under a QtSql connection of the SQLite driver; null
// for any other driver or a connection that is not open.
sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

struct StatementFinalizer
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

} // namespace

void ImageInfoDB::readRecord(const QSqlQuery& row, DBImageInfo& out)
{
    fillRecord(QueryRow(row), out);
}

bool ImageInfoDB::selectRecords(const char* statement, const std::function<void(DBImageInfo&&)>& each)
{
    const QSqlDatabase db = getDatabase();
    sqlite3* handle = sqliteHandle(db);
    if (!handle) { // another driver, or no open connection: QtSql says why
        velorin::SqlStatement q(*this, statement);
        q.query().setForwardOnly(true); // rows are read once; QtSql need not keep them
        if (!q.exec())
            return false;
        while (q.next()) {
            DBImageInfo record;
            readRecord(q.query(), record);
            each(std::move(record));
        }
        return true;
    }

    const QString text = velorin::tableStatement(statement, getTableName());
    const QByteArray utf8 = text.toUtf8();
    sqlite3_stmt* prepared = nullptr;
    int rc = sqlite3_prepare_v2(handle, utf8.constData(), int(utf8.size()), &prepared, nullptr);
    const std::unique_ptr<sqlite3_stmt, StatementFinalizer> finalizer(prepared);
    if (rc == SQLITE_OK && prepared) {
        const StatementRow row(prepared);
        while ((rc = sqlite3_step(prepared)) == SQLITE_ROW) {
            DBImageInfo record;
            fillRecord(row, record);
            each(std::move(record));
        }
        if (rc == SQLITE_DONE)
            return true;
    }
    const QSqlError error(QStringLiteral("Unable to fetch row"), QString::fromUtf8(sqlite3_errmsg(handle)),
                          QSqlError::StatementError, QString::number(rc));
    velorin::recordDbError(error, db.databaseName(), text);
    return false;
}
