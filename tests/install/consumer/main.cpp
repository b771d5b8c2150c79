// An application outside the project: the installed headers and library,
// the image table on two threads.
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>

#include <velorin/velorin.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    // Both sides through the service: fourteen photo files and one video file.
    getDatabaseService()->Initialize(true);
    getDatabaseService()->UnInitialize();
    getDatabaseService()->Initialize(false);
    getDatabaseService()->UnInitialize();
    const qsizetype files = QDir(velorin::photoDataFolder()).entryList(QDir::Files).size()
        + QDir(velorin::videoDataFolder()).entryList(QDir::Files).size();
    if (files != 15)
        return 3;

    ImageInfoDB table;
    if (!table.openConnection() || !table.createTable())
        return 1;
    table.createIndex();

    bool ok[2] = {false, false};
    auto worker = [&](int n) {
        ImageInfoDB& t = table;
        if (!t.openConnection())
            return;
        bool all = true;
        for (int i = 0; i < 20; ++i) {
            DBImageInfo info;
            info.fullPath = QStringLiteral("/consumer/%1/%2.jpg").arg(n).arg(i);
            all = t.insertRecord(&info) && all;
        }
        t.closeConnection();
        ok[n] = all;
    };
    std::thread a(worker, 0), b(worker, 1);
    a.join();
    b.join();

    QSqlQuery q(table.getDatabase());
    const bool counted = q.exec(QStringLiteral("select count(*) from ImageInfo")) && q.next()
        && q.value(0).toInt() == 40;
    table.closeConnection();
    if (!(ok[0] && ok[1] && counted))
        return 2;

    // The catalogue in a collection, shown through a date-sorted view, while
    // a worker thread adds photos that arrive through queued connections.
    getDatabaseService()->Initialize(true);
    KivPhotoFiles library;
    KivPhotoFilesSort view(PhotosFilterAll);
    view.sortBy(PhotosSortByDateTime, Qt::DescendingOrder, true);
    QObject::connect(&library, &KivPhotoFiles::photoFileAdded, &view, &KivPhotoFilesSort::addPhotoFile,
                     Qt::QueuedConnection);
    library.loadImageInfoFromDatabase(nullptr);
    QCoreApplication::processEvents();
    if (view.photoFilesCount() != 40)
        return 4;
    std::thread importer([&] {
        library.threadOpenConnection();
        for (int i = 0; i < 5; ++i) {
            DBImageInfo info;
            info.fullPath = QStringLiteral("/consumer/new/%1.jpg").arg(i);
            info.mediaModifyDate = QDateTime(QDate(2030, 1, 1 + i), QTime(12, 0));
            DBImageThumbnail mini, small, medium, large;
            library.addPhotoFileToDB(info, mini, small, medium, large);
        }
        library.threadCloseConnection();
    });
    importer.join();
    QCoreApplication::processEvents();
    const bool newestFirst = view.photoFilesCount() == 45
        && view.getKivPhotoFile(0)->dbInfo.fullPath == QStringLiteral("/consumer/new/4.jpg");
    getDatabaseService()->UnInitialize();
    return newestFirst ? 0 : 5;
}
