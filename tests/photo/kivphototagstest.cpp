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

// Quotes and statement text in a tag are stored as they are.
TEST_F(TagAndPlaceModelsTest, TagsAreCountedInAndOut)
{
    QString sea = QStringLiteral("sea");
    QString sky = QStringLiteral("O'Brien \"x\"; DROP TABLE TagList; --\nline2");
    EXPECT_TRUE(tags.addPhotoTagToDB(sea));
    EXPECT_TRUE(tags.addPhotoTagToDB(sea));
    EXPECT_TRUE(tags.updatePhotoTagToDB(sea));
    EXPECT_TRUE(tags.updatePhotoTagToDB(sky)) << "a new tag is stored without the read-back";
    EXPECT_EQ(tagCount(sea), 3);
    EXPECT_EQ(tagCount(sky), 1);

    // A photo whose tag text holds both words releases that exact text, which
    // has no row: true, and nothing changes.
    QString both = sea + u',' + sky;
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
    QString capital = sky.toUpper(), renamed = QStringLiteral("ocean");
    EXPECT_TRUE(tags.addPhotoTagToDB(capital));
    EXPECT_EQ(tagCount(sky), 1);
    EXPECT_TRUE(service->getTagListDB()->updateRecord(sky, renamed));
    EXPECT_EQ(tagCount(renamed), 1);
    EXPECT_EQ(service->getTagListDB()->queryRecord(), (QStringList{renamed, capital}));
}

// Each call builds the list anew, in the locale's order (which the tool's
// test checks in English).
TEST_F(TagAndPlaceModelsTest, ListsAreBuiltAnewInTheLocalesOrder)
{
    EXPECT_TRUE(tags.getAllPhotoFilesTagList().isEmpty());
    EXPECT_TRUE(places.getAllPhotoFilesAddressList().isEmpty());
    for (const char* name : {"\u00f6l", "zebra", "Banana", "apple"}) {
        QString tag = QString::fromUtf8(name);
        tags.addPhotoTagToDB(tag);
        DBAddressInfo info = place(tag, 1, 2, 3);
        places.addPhotoAddressToDB(info);
    }
    const QStringList expected{QStringLiteral("apple"), QStringLiteral("Banana"), QStringLiteral("zebra"),
                               QStringLiteral("\u00f6l")}; // Swedish: "ö" after "z"
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(tags.getAllPhotoFilesTagList(), expected);
        EXPECT_EQ(places.getAllPhotoFilesAddressList(), expected);
    }
}

TEST_F(TagAndPlaceModelsTest, PlacesKeepTheFirstPhotosPosition)
{
    QString bergen = QStringLiteral("Bergen \"x\"; DROP TABLE AddrList; --\n'O");
    DBAddressInfo first = place(bergen, 60.39299, 5.32415, 12.5);
    ASSERT_TRUE(places.addPhotoAddressToDB(first));
    EXPECT_TRUE(first.id > 0 && first.count == 1);
    DBAddressInfo second = place(bergen, -33.9, 18.4, 0);
    ASSERT_TRUE(places.updatePhotoAddressToDB(second));
    EXPECT_EQ(std::pair(second.id, second.count), std::pair(first.id, 2));

    DBAddressInfo found = place(QStringLiteral("kept"), 0, 0, 0);
    found.id = 77;
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

} // namespace
