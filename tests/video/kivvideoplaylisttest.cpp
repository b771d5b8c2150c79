// Video playlists: members loaded, saved and rewritten through the mapping
// table with their ids and positions, the update statement, the composite
// thumbnail's cells and cache, and the collection's loads and trash.

#include <memory>

#include <QBuffer>
#include <QSignalSpy>

#include <velorin/velorin.h>

#include "videocataloguetest.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray bmp(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "BMP");
    return bytes;
}

class PlaylistTest : public VideoCatalogueTest
{
protected:
    void SetUp() override
    {
        VideoCatalogueTest::SetUp();
        videos = std::make_unique<KivVideoFiles>();
        for (int id = 1; id <= 5; ++id) {
            KivVideoFile v;
            v.dbInfo.id = id;
            v.dbInfo.fullPath = u"/v/%1.mp4"_s.arg(id);
            v.dbInfo.duration = 2'000'000'000;
            v.dbInfo.thumbnail = bmp(300, 200, QColor::fromHsv(id * 60, 255, 255));
            videos->addPhotoFile(&v);
        }
    }
    std::unique_ptr<KivVideoPlaylist> playlist(std::initializer_list<int> ids, const QString& guid = {})
    {
        auto p = std::make_unique<KivVideoPlaylist>(videos.get());
        p->dbInfo.name = u"Trip \"'; drop table VideoPlayList; --\n"_s;
        p->dbInfo.albumGUID = guid;
        for (int id : ids)
            p->getKivPhotoFilesSort()->addPhotoFile(-1, videos->findPhotoFileByID(id));
        return p;
    }
    static QList<QList<int>> members(KivVideoPlaylist& p) // video id, mapping id, position
    {
        QList<QList<int>> out;
        for (int i = 0; i < p.getPhotoFilesCount(); ++i) {
            KivViewVideoFile* w = p.getKivPhotoFilesSort()->getKivViewVideoFile(i);
            out.append({w->getKivVideoFile()->dbInfo.id, w->GetID(), w->GetCustomID()});
        }
        return out;
    }
    QList<QVariantList> mappingRows() // id, fileID
    {
        return selectRows(*getDatabaseService()->getVideoPlayListMappingDB(),
                          u"select id, fileID from VideoPlayListMapping order by id"_s);
    }

    std::unique_ptr<KivVideoFiles> videos;
};

TEST_F(PlaylistTest, SaveLoadAndRewriteKeepIdsAndPositions)
{
    auto saved = playlist({1, 2, 3, 4});
    ASSERT_TRUE(saved->saveNewAlbumToDatabase());
    EXPECT_FALSE(QUuid(saved->dbInfo.albumGUID).isNull());
    EXPECT_TRUE(saved->dbInfo.createTime.isValid()) << "a new GUID comes with a creation time";
    const QList<QVariantList> rows = mappingRows();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(members(*saved)[3][1], rows[3][0].toInt()) << "wrappers carry their mapping ids";

    auto kept = playlist({5}, u"{given}"_s);
    ASSERT_TRUE(kept->saveNewAlbumToDatabase());
    EXPECT_EQ(kept->dbInfo.albumGUID, u"{given}"_s);
    EXPECT_FALSE(kept->dbInfo.createTime.isValid()) << "a GUID already set keeps both";

    // A mapping row whose video left the collection takes no position.
    videos->deletePhotoFile(videos->findPhotoFileByID(2));
    auto loaded = playlist({}, saved->dbInfo.albumGUID);
    loaded->loadAlbumInfoFromDatabase(videos.get());
    EXPECT_EQ(members(*loaded), (QList<QList<int>>{{1, rows[0][0].toInt(), 1}, {3, rows[2][0].toInt(), 2},
                                                   {4, rows[3][0].toInt(), 3}}));
    EXPECT_EQ(loaded->getDuration(), 6'000'000'000) << "summed in 64 bits";

    // Files only: no column written, so false, but the rows are replaced.
    loaded->getKivPhotoFilesSort()->deletePhotoFileByIndex(0);
    EXPECT_FALSE(loaded->updatePhotoAlbumToDatabase(loaded.get(), QVPlaylistUpdateFiles));
    const QList<QVariantList> rewritten = mappingRows();
    ASSERT_EQ(rewritten.size(), 3); // two of this playlist, one of the other
    EXPECT_EQ(rewritten.mid(1), (QList<QVariantList>{{members(*loaded)[0][1], u"3"_s}, {members(*loaded)[1][1], u"4"_s}}));

    // One member leaves by its mapping id, then all of them.
    EXPECT_TRUE(loaded->RemovePhotoFile(loaded->getKivPhotoFilesSort()->getKivViewVideoFile(0)));
    EXPECT_EQ(mappingRows().size(), 2);
    EXPECT_EQ(loaded->getPhotoFilesCount(), 1);
    EXPECT_TRUE(loaded->clearPhotoAlbumToDatabase());
    EXPECT_EQ(mappingRows().size(), 1);
    EXPECT_EQ(loaded->getPhotoFilesCount(), 0);
}

TEST_F(PlaylistTest, UpdateStatementIsMadeOfTheFlaggedFragments)
{
    DBVideoPlayListInfo info;
    const auto text = [&](quint32 flags) {
        return velorin::buildUpdate(u"VideoPlayList"_s, " where id=%1", velorin::playlistUpdateColumns(), info, flags)
            .text(5);
    };
    EXPECT_EQ(text(0x0f), u"update VideoPlayList set name=?, modifyTime=?, description=?, thumbnail=? where id=5"_s);
    EXPECT_EQ(text(QVPlaylistUpdateDescription | QVPlaylistUpdateFiles),
              u"update VideoPlayList set description=? where id=5"_s);

    // A playlist without a GUID: its rows still get their own ids.
    auto p = playlist({1, 2});
    EXPECT_FALSE(p->updatePhotoAlbumToDatabase(p.get(), QVPlaylistUpdateFiles));
    EXPECT_EQ(members(*p)[1][1], mappingRows().last().value(0).toInt());
    ASSERT_TRUE(p->saveNewAlbumToDatabase());
    p->dbInfo.name = u"Renamed\n'x'"_s;
    EXPECT_TRUE(p->updatePhotoAlbumToDatabase(p.get(), QVPlaylistUpdateName));
    EXPECT_EQ(selectValue(*getDatabaseService()->getVideoPlayListDB(), u"select name from VideoPlayList"_s),
              p->dbInfo.name);
}

TEST_F(PlaylistTest, ThumbnailCellsGeometryAndCache)
{
    QImage background(300, 240, QImage::Format_RGB32);
    background.fill(Qt::black);
    KivVideoPlaylists::SetPlaylistBackground(background);
    auto p = playlist({1, 2, 3});
    const QImage grid = p->getThumbnail().toImage();
    ASSERT_EQ(grid.size(), QSize(300, 240));
    const auto colourOf = [](int id) { return QColor::fromHsv(id * 60, 255, 255).rgb(); };
    // A 300 x 200 picture is drawn at 144 x 96, at left 3 and top 12 of its cell.
    for (int cell = 0; cell < 4; ++cell) {
        const int x = cell % 2 * 150, y = cell / 2 * 120;
        const QRgb inside = cell < 3 ? colourOf(cell + 1) : QColor(Qt::black).rgb();
        for (const QPoint& at : {QPoint(3, 12), QPoint(146, 107), QPoint(75, 60)})
            EXPECT_EQ(grid.pixel(x + at.x(), y + at.y()), inside) << "cell " << cell;
        for (const QPoint& at : {QPoint(2, 12), QPoint(147, 107), QPoint(75, 11), QPoint(75, 108)})
            EXPECT_EQ(grid.pixel(x + at.x(), y + at.y()), QColor(Qt::black).rgb()) << "cell " << cell;
    }
    const qint64 made = p->getThumbnail().cacheKey();
    EXPECT_EQ(p->getThumbnail().cacheKey(), made) << "same members: the cached pixmap";
    p->getKivPhotoFilesSort()->addPhotoFile(-1, videos->findPhotoFileByID(4));
    EXPECT_NE(p->getThumbnail().cacheKey(), made);

    EXPECT_EQ(playlist({2})->getThumbnail().toImage().pixel(0, 0), colourOf(2)) << "one member: its own picture";
    p->dbInfo.thumbnail = bmp(10, 10, Qt::white);
    EXPECT_EQ(p->getThumbnail().size(), QSize(10, 10)) << "the playlist's own picture wins";
}

TEST_F(PlaylistTest, CollectionLoadsOnceFollowsVideosAndTrashes)
{
    KivVideoPlaylists lists(videos.get());
    EXPECT_TRUE(lists.addPhotoAlbumToDB(nullptr));
    for (auto ids : {std::initializer_list<int>{1, 3}, {3, 4}})
        ASSERT_TRUE(lists.addPhotoAlbumToDB(playlist(ids).get()));
    KivVideoPlaylists loaded(videos.get());
    loaded.loadAlbumsFromDatabase();
    loaded.loadAlbumsFromDatabase();
    ASSERT_EQ(loaded.photoAlbumsCount(), 2) << "loaded once";

    // A video that leaves the library leaves every playlist.
    videos->deletePhotoFile(videos->findPhotoFileByID(3));
    for (KivVideoPlaylists* c : {&lists, &loaded})
        EXPECT_EQ(c->getAlbum(0)->getPhotoFilesCount() + c->getAlbum(1)->getPhotoFilesCount(), 2);

    KivVideoPlaylist* first = loaded.getAlbum(0);
    QSignalSpy deleted(&loaded, &KivVideoPlaylists::photoAlbumDeleted);
    ASSERT_TRUE(loaded.sendPhotoAlbumToTrashcan(first));
    EXPECT_EQ(deleted.count(), 1);
    KivVideoPlaylists trash(videos.get());
    trash.loadTrashCan();
    trash.loadTrashCan();
    ASSERT_EQ(trash.photoAlbumsCount(), 1);
    EXPECT_EQ(trash.getAlbum(0)->getPhotoFilesCount(), 1);
    ASSERT_TRUE(trash.RestorePhotoAlbumFromTrashcan(trash.getAlbum(0)));
    EXPECT_EQ(trash.photoAlbumsCount(), 0);
    EXPECT_TRUE(loaded.EmptyPhotoAlbum(first, false));
    EXPECT_EQ(selectValue(*getDatabaseService()->getVideoPlayListDB(), u"select count(*) from VideoPlayList"_s), 1);
    EXPECT_EQ(mappingRows().size(), 2) << "the emptied playlist's rows went with it";

    // The video collection may go first.
    videos.reset();
    loaded.getAlbum(0)->getKivPhotoFilesSort()->clearPhotoFiles();
}

} // namespace
