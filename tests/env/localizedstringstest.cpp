#include <string>

#include <QSet>

#include <velorin/env/localizedstrings.h>

#include "support/temphome.h"

namespace {

const QString resourceFile = QStringLiteral("VelorinRes.xml");

QByteArray magic(const QByteArray& children)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Magic>" + children + "</Magic>\n";
}

// The numbers that carry a text (searched from -10 to 1000).
QSet<int> numbersWithText(const CLocalizedStrings& strings)
{
    QSet<int> numbers;
    for (int n = -10; n <= 1000; ++n)
        if (!strings.getString(n).isEmpty())
            numbers.insert(n);
    return numbers;
}

} // namespace

class LocalizedStringsTest : public TempHomeTest
{
protected:
    // Loads `bytes` as the only (en-US) resource file of the module folder.
    bool loadOnly(const QByteArray& bytes)
    {
        writeFile(module.path() + QStringLiteral("/en-US/UI/") + resourceFile, bytes);
        return strings.load(resourceFile, module.path());
    }

    QTemporaryDir module;
    CLocalizedStrings strings;
};

// (Which language the environment chooses: the tool's exif test, which runs
// it under several locale environments, as Qt reads them once per process.)

TEST_F(LocalizedStringsTest, ReadsNumbersAndTitles)
{
    ASSERT_TRUE(loadOnly(magic("<String Value=\"1\" Title=\"Line1\\nLine2\"/>"
                               "<String Value=\"2\" Title=\"A\\r\\nB\\rC\\tD\"/>"
                               "<String Value=\"3\" Title=\"old\"/><String Value=\"3\" Title=\"new\"/>"
                               "<Other Value=\"4\" Title=\"ignored\"/>"
                               "<String Title=\"no number\"/>")));
    EXPECT_EQ((QStringList{strings.getString(0), strings.getString(1), strings.getString(2), strings.getString(3),
                           strings.getString(4)}),
              (QStringList{"no number", "Line1\nLine2", "A\r\nB\rC\tD", "new", QString()}));

    // Loading again replaces the whole table.
    ASSERT_TRUE(loadOnly(magic("<String Value=\"seven\" Title=\"not a number\"/>")));
    EXPECT_EQ(numbersWithText(strings), QSet<int>{0});
    EXPECT_EQ(strings.getString(0), QStringLiteral("not a number"));
}

TEST_F(LocalizedStringsTest, UnusableFilesLeaveTheTableEmpty)
{
    const QByteArray good = magic("<String Value=\"1\" Title=\"x\"/>");
    const QByteArray deep = "<Magic>" + QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000) + "</Magic>";
    const QByteArray huge = magic("<!--" + QByteArray(2 * 1024 * 1024, 'x') + "-->" + "<String Value=\"1\" Title=\"x\"/>");

    for (const QByteArray& bad : {QByteArray("<Other><String Value=\"1\" Title=\"x\"/></Other>"),
                                  QByteArray("<Magic><String Value=\"1\" Title=\"x\">"), QByteArray(), deep, huge}) {
        ASSERT_TRUE(loadOnly(good));
        EXPECT_FALSE(loadOnly(bad)) << bad.left(60).toStdString();
        EXPECT_TRUE(numbersWithText(strings).isEmpty());
        EXPECT_EQ(strings.language(), QStringLiteral("en-US"));
    }

    QTemporaryDir empty;
    EXPECT_FALSE(strings.load(resourceFile, empty.path()));
    EXPECT_EQ(strings.language(), QString());
}

TEST_F(LocalizedStringsTest, CopiesIntoACallersBufferOnlyWhenTheTextFits)
{
    ASSERT_TRUE(loadOnly(magic("<String Value=\"1\" Title=\"Blende\"/>")));
    char16_t buffer[8] = u"#";
    EXPECT_EQ(strings.getString(1, buffer, 5), 6);
    EXPECT_EQ(buffer[0], u'#') << "too small: untouched";
    EXPECT_EQ(strings.getString(1, buffer, 6), 6);
    EXPECT_EQ(std::u16string(buffer), u"Blende");
    EXPECT_EQ(std::pair(strings.getString(2, buffer, 6), buffer[0]), std::pair(0, u'\0')) << "no text: emptied";
    EXPECT_EQ(strings.getString(1, nullptr, 6), 6);
}

TEST_F(LocalizedStringsTest, ShippedFilesAreCompleteInBothLanguages)
{
    QSet<int> expected;
    for (int n = 1; n <= 130; ++n)
        expected.insert(n);
    expected -= QSet<int>{13, 18};
    expected += QSet<int>{173, 174, 175};

    CLocalizedStrings english;
    ASSERT_TRUE(loadOnly(fileBytes(QStringLiteral(VELORIN_SOURCE_DIR "/data/en-US/UI/VelorinRes.xml"))));
    std::swap(english, strings);
    ASSERT_TRUE(loadOnly(fileBytes(QStringLiteral(VELORIN_SOURCE_DIR "/data/de-DE/UI/VelorinRes.xml"))));
    EXPECT_EQ(numbersWithText(english), expected);
    EXPECT_EQ(numbersWithText(strings), expected);
    EXPECT_EQ(strings.getString(16), QStringLiteral("Blitz ausgelöst"));
    for (int label : {1, 2, 3, 4, 5, 6, 7, 8, 21, 22, 24, 25, 27, 28, 36, 50, 57, 67, 77, 78, 82, 86, 95, 173, 174, 175})
        EXPECT_NE(strings.getString(label), english.getString(label)) << label;

    // The build puts them beside this program too, where load looks first.
    CLocalizedStrings besideProgram;
    ASSERT_TRUE(besideProgram.load(resourceFile));
    EXPECT_FALSE(besideProgram.getString(1).isEmpty());
}
