#include <QDir>
#include <QFileInfo>

#include <velorin/env/appfolders.h>

#include "support/temphome.h"

class AppFoldersTest : public TempHomeTest
{
protected:
    QString home() const { return root() + QStringLiteral("/home"); }
    void writeUserDirs(const QByteArray& lines) { writeFile(root() + QStringLiteral("/config/user-dirs.dirs"), lines); }
};

TEST_F(AppFoldersTest, MediaFoldersAreCreatedWhereTheUserDirsSay)
{
    // First no user-dirs.dirs: the folders under HOME, none of which exists
    // yet. Then folders named by the user (and localized ones), read on every
    // call and created with their missing parents.
    ASSERT_FALSE(QFileInfo::exists(home() + QStringLiteral("/Music")));
    for (const QStringList& names : {QStringList{"Pictures", "Videos", "Music"}, {"Bilder", "media/Filme", "media/Musik"}}) {
        if (names[0] == u"Bilder")
            writeUserDirs("XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_VIDEOS_DIR=\"$HOME/media/Filme\"\n"
                          "XDG_MUSIC_DIR=\"$HOME/media/Musik\"\n");
        const QStringList paths{home() + u'/' + names[0], home() + u'/' + names[1], home() + u'/' + names[2]};
        for (int call = 0; call < 2; ++call)
            EXPECT_EQ((QStringList{velorin::picturesFolder(), velorin::videosFolder(), velorin::musicFolder()}), paths);
        for (const QString& path : paths)
            EXPECT_TRUE(QFileInfo(path).isDir()) << path.toStdString();
    }
}
