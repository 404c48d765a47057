#include "platform/InMemoryUserDefaults.h"
#include "settings/AppLanguage.h"

#include <gtest/gtest.h>

#include <memory>

using namespace plovane;

TEST(AppLanguageLoad, DefaultsToChineseUnlessExactlyEnIsStored)
{
    InMemoryUserDefaults d;
    EXPECT_EQ(AppLanguage(d).language.get(), Language::zh);
    d.set("tessivar.language", "en");
    EXPECT_EQ(AppLanguage(d).language.get(), Language::en);
    for (const char* other : {"EN", "", "fr", " en"}) {
        d.set("tessivar.language", other);
        EXPECT_EQ(AppLanguage(d).language.get(), Language::zh) << other;
    }
    d.set("tessivar.language", 1);
    EXPECT_EQ(AppLanguage(d).language.get(), Language::zh);
    d.clearWrites();
    AppLanguage loaded(d);
    EXPECT_TRUE(d.writes().empty());
}

TEST(AppLanguageToggle, SwitchesAnnouncesAndStores)
{
    InMemoryUserDefaults d;
    AppLanguage lang(d);
    std::vector<Language> seenBefore;
    Connection c = lang.objectWillChange.connect([&] { seenBefore.push_back(lang.language.get()); });

    lang.toggle();
    EXPECT_EQ(lang.language.get(), Language::en);
    EXPECT_EQ(d.stringForKey("tessivar.language"), "en");
    EXPECT_EQ(lang.toggleLabel(), "中");
    EXPECT_FALSE(lang.isZh());

    lang.toggle();
    EXPECT_EQ(lang.language.get(), Language::zh);
    EXPECT_EQ(d.stringForKey("tessivar.language"), "zh");
    EXPECT_EQ(lang.toggleLabel(), "EN");
    EXPECT_EQ(seenBefore, (std::vector<Language>{Language::zh, Language::en}));
}

TEST(AppLanguageAssign, DirectAssignmentIsNotRemembered)
{
    InMemoryUserDefaults d;
    AppLanguage lang(d);
    int announcements = 0;
    Connection c = lang.objectWillChange.connect([&] { ++announcements; });
    lang.language = Language::en;
    EXPECT_EQ(announcements, 1);
    EXPECT_TRUE(d.writes().empty());
    EXPECT_EQ(AppLanguage(d).language.get(), Language::zh);
}

TEST(AppLanguageShared, LoadsTheStandardStoreOnceAndWritesThere)
{
    auto store = std::make_shared<InMemoryUserDefaults>();
    store->set("tessivar.language", "en");
    UserDefaults::setStandard(store);
    AppLanguage& shared = AppLanguage::shared();
    EXPECT_EQ(&shared, &AppLanguage::shared());
    EXPECT_EQ(shared.language.get(), Language::en);
    shared.toggle();
    EXPECT_EQ(store->stringForKey("tessivar.language"), "zh");
}
