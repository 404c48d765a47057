#include "TestSupport.h"
#include "platform/FileUserDefaults.h"
#include "settings/AppLanguage.h"
#include "settings/AppSettings.h"
#include "settings/HUDSettings.h"

#include <gtest/gtest.h>

#include <memory>

using namespace plovane;

// Settings written in one run are there in the next, through the store on disk.
TEST(SettingsPersistence, SurviveARestartThroughTheFileStore)
{
    const auto folder = test::makeTempDir("config");
    {
        FileUserDefaults store(folder);
        store.set("tessivar.character", "corgi"); // from an older version
        HUDSettings settings(store);
        settings.sessionMinutes = 60.0;
        settings.screenIntelligenceEnabled = true;
        AppLanguage language(store);
        language.toggle();
        AppSettings targets(store);
        targets.setAchillesTargets({AchillesTarget::dryEye, AchillesTarget::calfCramp});
    }
    FileUserDefaults store(folder);
    HUDSettings settings(store);
    EXPECT_EQ(settings.sessionMinutes.get(), 60.0);
    EXPECT_TRUE(settings.screenIntelligenceEnabled.get());
    EXPECT_TRUE(settings.aiIdeSensingEnabled.get());
    EXPECT_EQ(settings.characterID.get(), CharacterID::builtIn(SpriteCharacter::corgi));
    EXPECT_FALSE(store.contains("tessivar.character"));
    EXPECT_EQ(AppLanguage(store).language.get(), Language::en);
    EXPECT_EQ(AppSettings(store).achillesTargets(),
              (AchillesTargetSet{AchillesTarget::dryEye, AchillesTarget::calfCramp}));
}

TEST(SettingsPersistence, SharedInstancesWriteToTheInstalledFileStore)
{
    const auto folder = test::makeTempDir("config");
    UserDefaults::setStandard(std::make_shared<FileUserDefaults>(folder));
    HUDSettings::shared().idleOpacity = 0.9;
    AppLanguage::shared().toggle();
    // The program swaps the store only at start; the shared objects keep theirs alive.
    UserDefaults::setStandard(nullptr);

    FileUserDefaults reread(folder);
    EXPECT_EQ(reread.doubleForKey("quellin.idle_opacity"), 0.9);
    EXPECT_EQ(reread.stringForKey("tessivar.language"), "en");
}
