#include "app/SystemSound.h"

#include <gtest/gtest.h>

using namespace plovane;

TEST(SystemSound, FallsBackToTheBeepWhenTheThemeHasNoSuchSound)
{
    int beeps = 0;
    SystemSound sound("plovane-no-such-sound-event", [&] { ++beeps; });
    EXPECT_FALSE(sound.play());
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(sound.play()) << "a failed context is not retried into a different outcome";
    EXPECT_EQ(beeps, 2);
}

TEST(SystemSound, AThemeSoundEitherPlaysOrBeepsNeverBoth)
{
    int beeps = 0;
    SystemSound sound("message-new-instant", [&] { ++beeps; });
    const bool played = sound.play();
    EXPECT_EQ(beeps, played ? 0 : 1);
}
