#include "engine/DiveConfig.h"
#include "platform/KnownTerminals.h"

#include <gtest/gtest.h>

using namespace plovane;

TEST(DiveConfig, DefaultAndMemberwiseRecordsAreIdentical)
{
    const DiveConfig byDefault;
    const DiveConfig memberwise{};
    EXPECT_EQ(byDefault, memberwise);
    EXPECT_EQ(byDefault.tickInterval, 1.0);
    EXPECT_EQ(byDefault.switchCountThreshold, 5);
    EXPECT_EQ(byDefault.decompressionDepthThreshold, 520.0);
    EXPECT_EQ(byDefault.oxygenApps.size(), 31u + knownTerminals().size()); // and the Linux terminals and editors
    EXPECT_EQ(byDefault.researchApps.size(), 12u + 9u);
    EXPECT_EQ(byDefault.nitrogenApps.size(), 3u);
    EXPECT_EQ(byDefault.musicApps.size(), 18u + 6u);

    const DiveConfig tuned{.hoveringIdleSeconds = 10, .switchCountThreshold = 2};
    EXPECT_EQ(tuned.hoveringIdleSeconds, 10.0);
    EXPECT_EQ(tuned.switchCountThreshold, 2);
    EXPECT_EQ(tuned.musicApps, byDefault.musicApps);
}

TEST(DiveConfig, MembershipIsExactIncludingLetterCase)
{
    const DiveConfig c;
    EXPECT_TRUE(c.musicApps.contains("com.apple.Music"));
    EXPECT_FALSE(c.musicApps.contains("com.apple.music"));
    EXPECT_FALSE(c.musicApps.contains("COM.APPLE.MUSIC"));
    EXPECT_TRUE(c.musicApps.contains("com.apple.itunes"));
    EXPECT_FALSE(c.musicApps.contains("com.apple.iTunes"));
    EXPECT_TRUE(c.musicApps.contains("com.tencent.qqmusic"));
    EXPECT_TRUE(c.musicApps.contains("com.tencent.QQMusic"));
    // The Linux desktops' own terminals are work tools.
    EXPECT_TRUE(c.oxygenApps.contains("org.gnome.Terminal"));
    EXPECT_TRUE(c.oxygenApps.contains("org.kde.konsole"));
}

TEST(DiveConfig, NoIdentifierBelongsToTwoSets)
{
    const DiveConfig c;
    const BundleIDSet* sets[] = {&c.oxygenApps, &c.researchApps, &c.nitrogenApps, &c.musicApps};
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = i + 1; j < 4; ++j)
            for (const auto& id : *sets[i])
                EXPECT_FALSE(sets[j]->contains(id)) << id << " is in sets " << i << " and " << j;
}

TEST(DiveConfig, LinuxApplicationsFallIntoTheClassOfTheirKind)
{
    const DiveConfig c;
    // Every terminal and the Linux editors are work tools.
    for (const auto& terminal : knownTerminals())
        EXPECT_TRUE(c.oxygenApps.contains(std::string(terminal.bundleID))) << terminal.bundleID;
    for (const char* id : {"org.kde.kate", "org.gnome.Builder"})
        EXPECT_TRUE(c.oxygenApps.contains(id)) << id;
    // Browsers, file managers and document viewers are research.
    for (const char* id : {"org.chromium.Chromium", "com.brave.Browser", "org.gnome.Epiphany", "org.gnome.Nautilus",
                           "org.kde.dolphin", "thunar", "org.gnome.Evince", "org.kde.okular", "org.pwmt.zathura"})
        EXPECT_TRUE(c.researchApps.contains(id)) << id;
    for (const char* id : {"org.gnome.Rhythmbox3", "org.kde.elisa", "org.strawberrymusicplayer.strawberry",
                           "org.gnome.Lollypop", "io.bassi.Amberol", "audacious"})
        EXPECT_TRUE(c.musicApps.contains(id)) << id;
    // The desktop's own shell is no application of any kind.
    for (const char* id : {"org.gnome.Shell", "org.kde.plasmashell", "xfce4-panel"})
        for (const BundleIDSet* set : {&c.oxygenApps, &c.researchApps, &c.nitrogenApps, &c.musicApps})
            EXPECT_FALSE(set->contains(id)) << id;
}
