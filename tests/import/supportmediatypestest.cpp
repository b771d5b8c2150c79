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

// A string is read from its file while it is empty and kept once read: a
// missing file or key is read again on every use, and an edit reaches the
// reads and a fresh object but not a string already cached.
TEST_F(MediaTypesTest, StringsAreReadWhileEmptyAndKeptOnceRead)
{
    // Nothing there: no patterns, and only the empty extension (contained in
    // every string, the empty one too) counts as supported.
    EXPECT_EQ(cache().allFilters(), QStringList());
    EXPECT_FALSE(cache().isSupported(Kind::Video, QStringLiteral(".mp4")));
    EXPECT_TRUE(cache().isSupported(Kind::Image, QString()));
    writeVideo(videoConf("*.mp4|*.mkv"));
    writeKiv("[SupportMediaTypes]\nMusicFileType=*.ogg\n"); // no image key: empty
    EXPECT_EQ(cache().allFilters(), (QStringList{"*.mp4", "*.mkv", "*.ogg"}));
    EXPECT_FALSE(cache().isSupported(Kind::Image, QStringLiteral(".jpg")));
    EXPECT_EQ(image, QString());

    writeKiv(kivConf("*.jpg", "*.mp3"));
    EXPECT_EQ(cache().allFilters(), (QStringList{"*.jpg", "*.mp4", "*.mkv", "*.ogg"}));
    EXPECT_TRUE(cache().isSupported(Kind::Image, QStringLiteral(".jpg")));

    // New values of other lengths, so that the file's size changes too.
    writeKiv(kivConf("*.png|*.gif", "*.flac|*.wav"));
    writeVideo(videoConf("*.avi"));
    const QStringList folders{folder.path()};
    EXPECT_EQ(QStringList({velorin::mediatypes::readTypes(Kind::Image, folders),
                           velorin::mediatypes::readTypes(Kind::Video, folders),
                           velorin::mediatypes::readTypes(Kind::Music, folders)}),
              (QStringList{"*.png|*.gif", "*.avi", "*.flac|*.wav"}));
    EXPECT_EQ(cache().allFilters(), (QStringList{"*.jpg", "*.mp4", "*.mkv", "*.ogg"}));
    EXPECT_FALSE(cache().isSupported(Kind::Image, QStringLiteral(".png")));
    QString freshImage, freshVideo, freshMusic;
    EXPECT_EQ(TypeCache(freshImage, freshVideo, freshMusic, folders).allFilters(),
              (QStringList{"*.png", "*.gif", "*.avi", "*.flac", "*.wav"}));
}

// Patterns are split at every separator and kept as they stand; an
// extension is supported when the string contains it, in any letter case
// (parts of a pattern pass as well).
TEST_F(MediaTypesTest, PatternsAndTheExtensionsTheyAccept)
{
    writeKiv(kivConf("*.jpg||*.png|", "|*.png| *.Mp3 |*.OGG||"));
    writeVideo(videoConf("*.mp4"));
    EXPECT_EQ(cache().filters(Kind::Image), (QStringList{"*.jpg", "*.png"}));
    EXPECT_EQ(cache().filters(Kind::Music), (QStringList{"*.png", " *.Mp3 ", "*.OGG"})) << "no trimming, no case change";
    EXPECT_EQ(cache().allFilters(), (QStringList{"*.jpg", "*.png", "*.mp4", "*.png", " *.Mp3 ", "*.OGG"}))
        << "image, video, music; a pattern of two kinds comes twice";
    // Image, video, music.
    for (const auto& [ext, kinds] : {std::pair{".jpg", "100"}, {".JPG", "100"}, {".jp", "100"}, {"g||*.p", "100"},
                                     {".MP4", "010"}, {".mP3", "001"}, {".png", "101"}, {".gif", "000"},
                                     {"jpg.", "000"}, {"", "111"}}) {
        QString supported;
        for (Kind kind : {Kind::Image, Kind::Video, Kind::Music})
            supported += QLatin1Char(cache().isSupported(kind, QString::fromLatin1(ext)) ? '1' : '0');
        EXPECT_EQ(supported, QLatin1String(kinds)) << ext;
    }
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
