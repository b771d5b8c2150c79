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
    // No user-dirs.dirs: the folders under HOME, none of which exists yet.
    ASSERT_FALSE(QFileInfo::exists(home() + QStringLiteral("/Music")));
    EXPECT_EQ(velorin::picturesFolder(), home() + QStringLiteral("/Pictures"));
    EXPECT_EQ(velorin::videosFolder(), home() + QStringLiteral("/Videos"));
    const QString music = velorin::musicFolder();
    EXPECT_EQ(music, home() + QStringLiteral("/Music"));
    for (const QString name : {"Pictures", "Videos", "Music"})
        EXPECT_TRUE(QFileInfo(home() + u'/' + name).isDir()) << name.toStdString();
    EXPECT_EQ(velorin::musicFolder(), music);

    // Folders named by the user (and localized ones) are read on every call,
    // and created with their missing parents.
    writeUserDirs("XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
                  "XDG_VIDEOS_DIR=\"$HOME/media/Filme\"\n"
                  "XDG_MUSIC_DIR=\"$HOME/media/Musik\"\n");
    EXPECT_EQ(velorin::picturesFolder(), home() + QStringLiteral("/Bilder"));
    EXPECT_EQ(velorin::videosFolder(), home() + QStringLiteral("/media/Filme"));
    EXPECT_EQ(velorin::musicFolder(), home() + QStringLiteral("/media/Musik"));
    for (const QString name : {"Bilder", "media/Filme", "media/Musik"})
        EXPECT_TRUE(QFileInfo(home() + u'/' + name).isDir()) << name.toStdString();
}
