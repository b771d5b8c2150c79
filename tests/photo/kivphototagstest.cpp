// The tag and place models: counting photos in and out, the sorted lists and
// the stored position of a place.

#include <tuple>

#include <QLocale>
#include <QStringList>

#include <velorin/velorin.h>

#include "support/temphome.h"

namespace {

class TagAndPlaceModelsTest : public PhotoCatalogueTest
{
protected:
    void SetUp() override
    {
        PhotoCatalogueTest::SetUp();
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        QLocale::setDefault(m_locale);
        PhotoCatalogueTest::TearDown();
    }

    // The stored count of a tag, 0 when it has no row.
    int tagCount(const QString& tag)
    {
        const auto row = service->getTagListDB()->findValue(tag);
        return row ? row->count : 0;
    }

    KivPhotoTags tags{nullptr};
    KivPhotoAddresses places{nullptr};

private:
    QLocale m_locale;
};

DBAddressInfo place(const QString& name, double latitude, double longitude, double altitude)
{
    DBAddressInfo info;
    info.addr = name;
    info.latitude = latitude;
    info.longitude = longitude;
    info.altitude = altitude;
    return info;
}

auto fields(const DBAddressInfo& a)
{
    return std::tie(a.id, a.addr, a.count, a.latitude, a.longitude, a.altitude);
}

TEST_F(TagAndPlaceModelsTest, TagsAreCountedInAndOut)
{
    QString sea = QStringLiteral("sea");
    QString sky = QStringLiteral("sky");
    EXPECT_TRUE(tags.addPhotoTagToDB(sea));
    EXPECT_TRUE(tags.addPhotoTagToDB(sea));
    EXPECT_TRUE(tags.updatePhotoTagToDB(sea));
    EXPECT_TRUE(tags.updatePhotoTagToDB(sky)) << "a new tag is stored without the read-back";
    EXPECT_EQ(tagCount(sea), 3);
    EXPECT_EQ(tagCount(sky), 1);

    // A photo whose tag text holds both words releases that exact text, which
    // has no row: true, and nothing changes.
    QString both = QStringLiteral("sea,sky");
    EXPECT_TRUE(tags.deletePhotoTagToDB(both));
    EXPECT_EQ(tagCount(sea), 3);
    EXPECT_EQ(tagCount(sky), 1);

    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(tags.deletePhotoTagToDB(sea));
    EXPECT_EQ(tagCount(sea), 1);
    EXPECT_TRUE(tags.deletePhotoTagToDB(sea));
    EXPECT_FALSE(service->getTagListDB()->findValue(sea)) << "the last photo takes the row with it";
    EXPECT_TRUE(tags.deletePhotoTagToDB(sea));
    EXPECT_EQ(tags.getAllPhotoFilesTagList(), QStringList{sky});

    // Letter case makes another tag; a rename keeps the count.
    QString capital = QStringLiteral("Sky"), renamed = QStringLiteral("ocean");
    EXPECT_TRUE(tags.addPhotoTagToDB(capital));
    EXPECT_EQ(tagCount(sky), 1);
    EXPECT_TRUE(service->getTagListDB()->updateRecord(sky, renamed));
    EXPECT_EQ(tagCount(renamed), 1);
    EXPECT_EQ(service->getTagListDB()->queryRecord(), (QStringList{QStringLiteral("ocean"), QStringLiteral("Sky")}));
}

TEST_F(TagAndPlaceModelsTest, ListsFollowTheLocalesCollation)
{
    EXPECT_TRUE(tags.getAllPhotoFilesTagList().isEmpty());
    EXPECT_TRUE(places.getAllPhotoFilesAddressList().isEmpty());

    for (const char* name : {"cherry", "Banana", "apple"}) {
        QString tag = QString::fromLatin1(name);
        tags.addPhotoTagToDB(tag);
        DBAddressInfo info = place(tag, 1, 2, 3);
        places.addPhotoAddressToDB(info);
    }
    const QStringList expected{QStringLiteral("apple"), QStringLiteral("Banana"), QStringLiteral("cherry")};
    EXPECT_EQ(tags.getAllPhotoFilesTagList(), expected);
    EXPECT_EQ(tags.getAllPhotoFilesTagList(), expected) << "a second call rebuilds, not appends";
    places.getAllPhotoFilesAddressList();
    EXPECT_EQ(places.getAllPhotoFilesAddressList(), expected);

    // The locale decides, not the code points: "ö" sorts with "o" in
    // English and after "z" in Swedish.
    QString oil = QStringLiteral("\u00f6l");
    QString zebra = QStringLiteral("zebra");
    tags.addPhotoTagToDB(zebra);
    tags.addPhotoTagToDB(oil);
    EXPECT_EQ(tags.getAllPhotoFilesTagList().indexOf(oil), 3);
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    EXPECT_EQ(tags.getAllPhotoFilesTagList().last(), oil);
}

TEST_F(TagAndPlaceModelsTest, PlacesKeepTheFirstPhotosPosition)
{
    DBAddressInfo first = place(QStringLiteral("Bergen"), 60.39299, 5.32415, 12.5);
    ASSERT_TRUE(places.addPhotoAddressToDB(first));
    EXPECT_GT(first.id, 0);
    EXPECT_EQ(first.count, 1);

    DBAddressInfo second = place(QStringLiteral("Bergen"), -33.9, 18.4, 0);
    ASSERT_TRUE(places.updatePhotoAddressToDB(second));
    EXPECT_EQ(second.id, first.id);
    EXPECT_EQ(second.count, 2);

    DBAddressInfo found = place(QStringLiteral("kept"), 0, 0, 0);
    found.id = 77;
    QString bergen = QStringLiteral("Bergen");
    ASSERT_TRUE(places.GetGPSBy(bergen, found));
    EXPECT_EQ(fields(found), std::make_tuple(77, QStringLiteral("kept"), 2, 60.39299, 5.32415, 12.5))
        << "position and count from the first photo, id and name left alone";

    DBAddressInfo untouched = found;
    QString nowhere = QStringLiteral("Nowhere");
    EXPECT_FALSE(places.GetGPSBy(nowhere, untouched));
    EXPECT_EQ(fields(untouched), fields(found));

    EXPECT_TRUE(places.deletePhotoAddressToDB(nowhere));
    EXPECT_TRUE(places.deletePhotoAddressToDB(bergen));
    ASSERT_TRUE(places.GetGPSBy(bergen, found));
    EXPECT_EQ(found.count, 1);
    EXPECT_TRUE(places.deletePhotoAddressToDB(bergen));
    EXPECT_FALSE(places.GetGPSBy(bergen, found));
    EXPECT_TRUE(places.getAllPhotoFilesAddressList().isEmpty());

    // A default record has no position; a stored count below one (written
    // by hand) also removes the place.
    DBAddressInfo plain;
    plain.addr = bergen;
    ASSERT_TRUE(places.addPhotoAddressToDB(plain));
    ASSERT_TRUE(places.GetGPSBy(bergen, found));
    EXPECT_EQ(std::tuple(found.latitude, found.longitude, found.altitude), std::tuple(10000.0, 10000.0, -10000000.0));
    selectRows(*service->getAddrListDB(), QStringLiteral("update AddrList set count=0"));
    EXPECT_TRUE(places.deletePhotoAddressToDB(bergen));
    EXPECT_TRUE(service->getAddrListDB()->queryRecord().isEmpty());
}

TEST_F(TagAndPlaceModelsTest, QuotesAndStatementTextAreStoredAsTheyAre)
{
    QString hostile = QStringLiteral("O'Brien \"x\"; DROP TABLE TagList; --\nline2");
    EXPECT_TRUE(tags.addPhotoTagToDB(hostile));
    EXPECT_TRUE(tags.addPhotoTagToDB(hostile));
    EXPECT_EQ(tags.getAllPhotoFilesTagList(), QStringList{hostile});
    EXPECT_EQ(tagCount(hostile), 2);

    DBAddressInfo info = place(hostile, 1.5, 2.5, 3.5);
    EXPECT_TRUE(places.addPhotoAddressToDB(info));
    EXPECT_EQ(places.getAllPhotoFilesAddressList(), QStringList{hostile});

    EXPECT_TRUE(tags.deletePhotoTagToDB(hostile));
    EXPECT_TRUE(tags.deletePhotoTagToDB(hostile));
    EXPECT_TRUE(places.deletePhotoAddressToDB(hostile));
    EXPECT_TRUE(tags.getAllPhotoFilesTagList().isEmpty());
    EXPECT_TRUE(places.getAllPhotoFilesAddressList().isEmpty());
}

} // namespace
