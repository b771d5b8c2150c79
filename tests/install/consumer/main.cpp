// An application outside the project: the installed headers and library,
// both sides of the catalogue through the service, the image table on two
// threads, and a collection's signal.
#include <thread>

#include <QCoreApplication>
#include <QDir>

#include <velorin/velorin.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (bool photo : {true, false}) { // fourteen photo files and one video file
        getDatabaseService()->Initialize(photo);
        getDatabaseService()->UnInitialize();
    }
    if (QDir(velorin::photoDataFolder()).entryList(QDir::Files).size()
            + QDir(velorin::videoDataFolder()).entryList(QDir::Files).size() != 15)
        return 3;

    bool ok[2] = {false, false};
    ImageInfoDB table;
    auto worker = [&](int n) {
        ok[n] = table.openConnection() && table.createTable();
        for (int i = 0; i < 20; ++i) {
            DBImageInfo info;
            info.fullPath = QStringLiteral("/consumer/%1/%2.jpg").arg(n).arg(i);
            ok[n] = table.insertRecord(&info) && ok[n];
        }
        table.closeConnection();
    };
    std::thread a(worker, 0), b(worker, 1);
    a.join();
    b.join();

    getDatabaseService()->Initialize(true);
    KivPhotoFiles library;
    int added = 0;
    QObject::connect(&library, &KivPhotoFiles::photoFileAdded, [&](int, KivPhotoFile*) { ++added; });
    library.loadImageInfoFromDatabase(nullptr);
    getDatabaseService()->UnInitialize();
    return ok[0] && ok[1] && added == 40 ? 0 : 2;
}
