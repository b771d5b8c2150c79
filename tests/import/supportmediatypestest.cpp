#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <velorin/import/supportmediatypes.h>
#include <velorin/import/supportmediatypes_p.h>

#include "support/temphome.h"

using velorin::mediatypes::Kind;
using velorin::mediatypes::TypeCache;

namespace {

QByteArray kivConf(const QByteArray& images, const QByteArray& music = "*.mp3|*.flac")
{
    return "[SupportMediaTypes]\nImageFileType=" + images + "\nMusicFileType=" + music + "\n";
}

QByteArray videoConf(const QByteArray& videos)
{
    return "[UPnP]\ntype=" + videos + "\n";
}

} // namespace

// The class's behaviour over settings files in a folder of the test's own.
class MediaTypesTest : public TempHomeTest
{
protected:
    void writeKiv(const QByteArray& bytes) { writeFile(folder.path() + QStringLiteral("/kiv.conf"), bytes); }
    void writeVideo(const QByteArray& bytes) { writeFile(folder.path() + QStringLiteral("/kivVideo.conf"), bytes); }
    // A view of this test's cached strings, as one object's operations see them.
    TypeCache cache() { return TypeCache(image, video, music, {folder.path()}); }

    QTemporaryDir folder;
    QString image, video, music;
};

TEST_F(MediaTypesTest, MissingSettingsAreReadAgainOnEveryUse)
{
    // Nothing there: no patterns, and only the empty extension (contained in
    // every string, the empty one too) counts as supported.
    EXPECT_EQ(cache().allFilters(), QStringList());
    EXPECT_FALSE(cache().isSupported(Kind::Video, QStringLiteral(".mp4")));
    EXPECT_TRUE(cache().isSupported(Kind::Image, QString()));

    // Only the video file: only its patterns.
    writeVideo(videoConf("*.mp4|*.mkv"));
    EXPECT_EQ(cache().allFilters(), (QStringList{"*.mp4", "*.mkv"}));
    EXPECT_FALSE(cache().isSupported(Kind::Image, QStringLiteral(".jpg")));
    EXPECT_EQ(image, QString());

    // The empty image and music strings were not kept: the file that appears
    // now is read.
    writeKiv(kivConf("*.jpg"));
    EXPECT_TRUE(cache().isSupported(Kind::Image, QStringLiteral(".jpg")));
    EXPECT_EQ(cache().allFilters(), (QStringList{"*.jpg", "*.mp4", "*.mkv", "*.mp3", "*.flac"}));

    // A file without the key reads as empty too.
    QString otherImage, otherVideo, otherMusic;
    writeKiv("[SupportMediaTypes]\nMusicFileType=*.ogg\n");
    TypeCache other(otherImage, otherVideo, otherMusic, {folder.path()});
    EXPECT_EQ(other.filters(Kind::Image), QStringList());
    EXPECT_EQ(other.filters(Kind::Music), QStringList{"*.ogg"});
}

TEST_F(MediaTypesTest, PatternsAreSplitAtEverySeparatorAsTheyStand)
{
    writeKiv(kivConf("*.jpg||*.png|", "|*.png| *.Mp3 |*.OGG||"));
    writeVideo(videoConf("*.jpg"));
    EXPECT_EQ(cache().filters(Kind::Image), (QStringList{"*.jpg", "*.png"}));
    // No trimming, no case change.
    EXPECT_EQ(cache().filters(Kind::Music), (QStringList{"*.png", " *.Mp3 ", "*.OGG"}));
    // Image, video, music; a pattern of two kinds comes twice.
    EXPECT_EQ(cache().allFilters(), (QStringList{"*.jpg", "*.png", "*.jpg", "*.png", " *.Mp3 ", "*.OGG"}));
}

TEST_F(MediaTypesTest, AnExtensionIsSupportedWhenTheStringContainsIt)
{
    writeKiv(kivConf("*.jpg|*.png"));
    writeVideo(videoConf("*.mp4"));
    struct Case
    {
        const char* ext;
        bool image, video, music;
    };
    // Case is ignored, and parts of a pattern pass as well: the test is a
    // substring search over the whole string.
    for (const Case& c : {Case{".jpg", true, false, false}, Case{".JPG", true, false, false},
                          Case{".jp", true, false, false}, Case{"g|*.p", true, false, false},
                          Case{".MP4", false, true, false}, Case{".Mp3", false, false, true},
                          Case{".gif", false, false, false}, Case{"jpg.", false, false, false},
                          Case{"", true, true, true}}) {
        const QString ext = QString::fromLatin1(c.ext);
        EXPECT_EQ(cache().isSupported(Kind::Image, ext), c.image) << c.ext;
        EXPECT_EQ(cache().isSupported(Kind::Video, ext), c.video) << c.ext;
        EXPECT_EQ(cache().isSupported(Kind::Music, ext), c.music) << c.ext;
    }
}

TEST_F(MediaTypesTest, EditsReachTheReadsButNotAStringAlreadyCached)
{
    writeKiv(kivConf("*.jpg", "*.mp3"));
    writeVideo(videoConf("*.mp4"));
    EXPECT_TRUE(cache().isSupported(Kind::Image, QStringLiteral(".jpg")));
    EXPECT_EQ(cache().filters(Kind::Music), QStringList{"*.mp3"});
    EXPECT_EQ(cache().filters(Kind::Video), QStringList{"*.mp4"});

    // New values of other lengths, so that the file's size changes too.
    writeKiv(kivConf("*.png|*.gif", "*.flac|*.wav"));
    writeVideo(videoConf("*.mkv|*.avi"));
    EXPECT_EQ(velorin::mediatypes::readTypes(Kind::Image, {folder.path()}), QStringLiteral("*.png|*.gif"));
    EXPECT_EQ(velorin::mediatypes::readTypes(Kind::Music, {folder.path()}), QStringLiteral("*.flac|*.wav"));
    EXPECT_EQ(velorin::mediatypes::readTypes(Kind::Video, {folder.path()}), QStringLiteral("*.mkv|*.avi"));

    EXPECT_TRUE(cache().isSupported(Kind::Image, QStringLiteral(".jpg")));
    EXPECT_FALSE(cache().isSupported(Kind::Image, QStringLiteral(".png")));
    EXPECT_EQ(cache().allFilters(), (QStringList{"*.jpg", "*.mp4", "*.mp3"}));

    // Another object, with nothing cached yet, sees the edit.
    QString freshImage, freshVideo, freshMusic;
    TypeCache fresh(freshImage, freshVideo, freshMusic, {folder.path()});
    EXPECT_EQ(fresh.allFilters(), (QStringList{"*.png", "*.gif", "*.mkv", "*.avi", "*.flac", "*.wav"}));
}

// The files the library ships, read by the class beside this program, where
// the build copies them.
TEST(SupportMediaTypesTest, ShippedFilesClassifyEveryListedExtensionAsItsOwnKind)
{
    SupportMediaTypes types;
    const QString settings = types.getApplicationSettingsFile();
    EXPECT_EQ(settings, QCoreApplication::applicationDirPath() + QStringLiteral("/kiv.conf"));

    // "*" and "|" survive the INI format: the value reads back as written.
    const QByteArray text = fileBytes(QStringLiteral(VELORIN_SOURCE_DIR "/data/kiv.conf"));
    const QRegularExpression line(QStringLiteral("^ImageFileType=(.*)$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch written = line.match(QString::fromUtf8(text));
    ASSERT_TRUE(written.hasMatch());
    EXPECT_EQ(types.getSupportedImageFileType(), written.captured(1));

    QString jpg = QStringLiteral(".jpg"), raw = QStringLiteral(".CR2"), mp4 = QStringLiteral(".mp4"),
            flac = QStringLiteral(".flac");
    EXPECT_TRUE(types.isSupportedImageFile(jpg));
    EXPECT_TRUE(types.isSupportedImageFile(raw));
    EXPECT_TRUE(types.isSupportedVideoFile(mp4));
    EXPECT_TRUE(types.isSupportedMusicFile(flac));

    const QStringList images = types.getSupportedImageFilters();
    const QStringList videos = types.getSupportedVideoFilters();
    const QStringList music = types.getSupportedMusicFilters();
    for (const QString pattern : {"*.jpg", "*.heic", "*.webp", "*.nef", "*.dng", "*.arw", "*.orf", "*.rw2", "*.raf"})
        EXPECT_TRUE(images.contains(pattern)) << pattern.toStdString();
    EXPECT_EQ(types.getKivFilters(), images + videos + music);

    // Every entry is a plain "*.ext" pattern, and its extension (in any case)
    // classifies as its own kind only: no extension of one kind is part of
    // another kind's string.
    const QRegularExpression plain(QStringLiteral("^\\*\\.[a-z0-9]+$"));
    const QList<QStringList> kinds = {images, videos, music};
    for (int kind = 0; kind < kinds.size(); ++kind) {
        EXPECT_GE(kinds[kind].size(), 9);
        for (const QString& pattern : kinds[kind]) {
            EXPECT_TRUE(plain.match(pattern).hasMatch()) << pattern.toStdString();
            QString ext = pattern.mid(1).toUpper();
            EXPECT_EQ(types.isSupportedImageFile(ext), kind == 0) << pattern.toStdString();
            EXPECT_EQ(types.isSupportedVideoFile(ext), kind == 1) << pattern.toStdString();
            EXPECT_EQ(types.isSupportedMusicFile(ext), kind == 2) << pattern.toStdString();
        }
    }
}
