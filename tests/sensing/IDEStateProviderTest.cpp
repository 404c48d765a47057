#include "SensingFakes.h"
#include "TestSupport.h"
#include "sensing/AXContextMonitor.h"
#include "platform/InMemoryUserDefaults.h"
#include "sensing/IDEStateProvider.h"
#include "settings/HUDSettings.h"

#include <gtest/gtest.h>

namespace plovane {
namespace {

using test::FakeAccessibility;

class IDEStateProviderTest : public ::testing::Test {
protected:
    FakeAccessibility source;
    AXContextMonitor monitor{source};
    IDEStateProvider provider{monitor};
    IDESensingSwitches on{true, true};

    IDEStateSnapshot run(std::string bundleID, std::string name, double idle, int switches = 0)
    {
        return provider.snapshot(ActiveAppSnapshot{std::move(name), std::move(bundleID), ""},
                                 InputSnapshot{idle, idle < 1.5}, switches, on);
    }
};

TEST_F(IDEStateProviderTest, SensingOffIsExactlyDisabledAndReadsNothing)
{
    auto s = provider.snapshot(ActiveAppSnapshot{"Cursor", "com.todesktop.230313mzl4w4u92", ""}, InputSnapshot{0, true},
                               9, IDESensingSwitches{false, true});
    EXPECT_EQ(s, IDEStateSnapshot::disabled());
    EXPECT_EQ(s.summary, "disabled");
    EXPECT_FALSE(s.isEnabled);
    EXPECT_TRUE(s.flags.screenIntelligenceUnavailable);
    EXPECT_EQ(source.appReads, 0);
}

TEST_F(IDEStateProviderTest, SurfaceRulesApplyInOrder)
{
    source.trusted = false;
    EXPECT_EQ(run("org.example.Other", "My CURSOR build", 0).surface, IDEAppSurface::cursor);
    EXPECT_EQ(run("com.microsoft.VSCode", "Codex", 0).surface, IDEAppSurface::cursor);
    EXPECT_EQ(run("com.openai.codex", "", 0).surface, IDEAppSurface::codex);
    EXPECT_EQ(run("x", "Antigravity", 0).surface, IDEAppSurface::codex);
    EXPECT_EQ(run("org.gnome.Terminal", "Terminal", 0).surface, IDEAppSurface::terminal);
    EXPECT_EQ(run("com.googlecode.iterm2", "iTerm", 0).surface, IDEAppSurface::terminal);
    EXPECT_EQ(run("com.Microsoft.VSCode", "Code", 0).surface, IDEAppSurface::none) << "identifiers are case-sensitive";
}

TEST_F(IDEStateProviderTest, NoneAndResearchReturnEarlyWithoutTheFocusContext)
{
    source.trusted = false;
    auto research = run("org.mozilla.firefox", "Firefox", 30, 5);
    EXPECT_EQ(research.primaryState, IDEPrimaryState::researching);
    EXPECT_EQ(research.summary, "researching");
    EXPECT_FALSE(research.flags.accessibilityUnavailable);
    EXPECT_TRUE(research.flags.contextSwitching);

    auto none = run("org.example.Game", "Game", 0);
    EXPECT_EQ(none.primaryState, IDEPrimaryState::idle);
    EXPECT_EQ(none.summary, "idle");
    EXPECT_TRUE(none.isEnabled);
    EXPECT_EQ(source.appReads, 0);
}

TEST_F(IDEStateProviderTest, FiveSwitchesAreContextSwitchingFourAreNot)
{
    EXPECT_FALSE(run("x", "y", 0, 4).flags.contextSwitching);
    EXPECT_TRUE(run("x", "y", 0, 5).flags.contextSwitching);
}

TEST_F(IDEStateProviderTest, CursorWithoutKeywordFollowsIdleThresholds)
{
    source.focus({{"AXRole", "AXTextArea"}, {"AXTitle", "editor"}, {"AXSelectedText", ""}}, "main.rs");
    EXPECT_EQ(run("com.microsoft.VSCode", "Code", 0.3).primaryState, IDEPrimaryState::working);
    EXPECT_EQ(run("com.microsoft.VSCode", "Code", 1.8).primaryState, IDEPrimaryState::working);
    EXPECT_EQ(run("com.microsoft.VSCode", "Code", 2.5).primaryState, IDEPrimaryState::waiting);
    EXPECT_EQ(run("com.microsoft.VSCode", "Code", 12.0).primaryState, IDEPrimaryState::idle);
}

TEST_F(IDEStateProviderTest, PromptKeywordsGivePromptingThenWaiting)
{
    source.focus({{"AXRole", "AXTextArea"}, {"AXPlaceholderValue", "Ask Copilot"}});
    EXPECT_EQ(run("com.microsoft.VSCode", "Code", 0.2).primaryState, IDEPrimaryState::prompting);
    EXPECT_EQ(run("com.microsoft.VSCode", "Code", 2.5).primaryState, IDEPrimaryState::waiting);

    // Chinese keywords of the shared list match as written.
    source.focus({{"AXRole", "AXTextField"}, {"AXDescription", "请输入"}});
    EXPECT_EQ(run("x", "Cursor", 0.2).primaryState, IDEPrimaryState::prompting);

    // "agent" is a cursor keyword, not a codex one.
    source.focus({{"AXRole", "AXTextField"}, {"AXDescription", "Agent"}});
    EXPECT_EQ(run("x", "Cursor", 0.2).primaryState, IDEPrimaryState::prompting);
    EXPECT_EQ(run("x", "Antigravity", 0.2).primaryState, IDEPrimaryState::working);
}

TEST_F(IDEStateProviderTest, CodexTextInputAlwaysMatchesThroughItsDescriptor)
{
    source.focus({{"AXRole", "AXTextField"}});
    EXPECT_EQ(run("com.openai.codex", "", 0.1).primaryState, IDEPrimaryState::prompting);
    EXPECT_EQ(run("com.openai.codex", "", 40).primaryState, IDEPrimaryState::waiting);
}

TEST_F(IDEStateProviderTest, ButtonNeverMatchesKeywords)
{
    source.focus({{"AXRole", "AXButton"}, {"AXTitle", "Send prompt to chat"}});
    EXPECT_EQ(run("com.openai.codex", "", 0.1).primaryState, IDEPrimaryState::working);
    EXPECT_EQ(run("com.openai.codex", "", 3).primaryState, IDEPrimaryState::waiting);
    EXPECT_EQ(run("org.gnome.Terminal", "Terminal", 3).primaryState, IDEPrimaryState::waiting);
}

TEST_F(IDEStateProviderTest, TerminalTextAreaIsTerminalWhateverTheIdle)
{
    source.focus({{"AXRole", "AXTextArea"}});
    EXPECT_EQ(run("com.apple.Terminal", "Terminal", 300).primaryState, IDEPrimaryState::terminal);
    EXPECT_EQ(run("org.kde.konsole", "Konsole", 300).primaryState, IDEPrimaryState::waiting)
        << "nothing in the descriptor of this terminal names a terminal keyword";
    EXPECT_EQ(run("org.kde.konsole", "Konsole", 2.0).primaryState, IDEPrimaryState::terminal);
}

// Every terminal the work set holds, by the identity the desktop reports for it: typing in
// any of them is terminal work, and a pause is waiting, with or without a readable focus.
class TerminalSurface : public IDEStateProviderTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TerminalSurface, TypingIsWorkAPauseIsWaiting)
{
    source.trusted = false; // most terminals say nothing over the accessibility bus
    const auto typing = run(GetParam(), "Some Terminal", 0.2);
    EXPECT_EQ(typing.surface, IDEAppSurface::terminal);
    EXPECT_EQ(typing.primaryState, IDEPrimaryState::terminal);
    EXPECT_EQ(typing.summary, "terminal:terminal | ax-off");
    EXPECT_EQ(run(GetParam(), "Some Terminal", 3).primaryState, IDEPrimaryState::waiting);
}

INSTANTIATE_TEST_SUITE_P(Known, TerminalSurface,
                         ::testing::Values("xterm", "kitty", "org.alacritty.Alacritty", "com.gexperts.Tilix",
                                           "org.wezfurlong.wezterm", "org.codeberg.dnkl.foot", "terminator",
                                           "qterminal", "lxterminal", "org.gnome.Console", "org.gnome.Terminal",
                                           "org.kde.konsole", "xfce4-terminal", "org.gnome.Ptyxis", "rxvt-unicode",
                                           "terminology", "com.mitchellh.ghostty", "org.kde.yakuake",
                                           "dev.warp.Warp-Stable", "dev.warp.Warp", "com.apple.Terminal",
                                           "com.googlecode.iterm2"),
                         [](const auto& info) { return test::testName(info.param); });

TEST_F(IDEStateProviderTest, SelectionWhileNotTypingIsResearchingABlankOneIsNone)
{
    source.focus({{"AXRole", "AXTextArea"}, {"AXSelectedText", "fn main()"}});
    auto reading = run("dev.zed.Zed", "Cursor", 1.7);
    EXPECT_EQ(reading.primaryState, IDEPrimaryState::researching);
    EXPECT_TRUE(reading.flags.hasSelection);

    source.focus({{"AXRole", "AXTextArea"}, {"AXSelectedText", " \n\t\n "}});
    auto blank = run("dev.zed.Zed", "Cursor", 1.7);
    EXPECT_FALSE(blank.flags.hasSelection);
    EXPECT_EQ(blank.primaryState, IDEPrimaryState::working);
}

TEST_F(IDEStateProviderTest, SummaryListsPartsInOrder)
{
    source.focus({{"AXRole", "AXTextArea"}, {"AXTitle", "Composer"}, {"AXSelectedText", "x"}});
    auto full = run("com.microsoft.VSCode", "Code", 0.2, 6);
    EXPECT_EQ(full.summary, "cursor:prompting | switching | selection | role=AXTextArea | focus=Composer");

    source.trusted = false;
    auto off = run("com.microsoft.VSCode", "Code", 20);
    EXPECT_EQ(off.summary, "cursor:idle | ax-off");
    EXPECT_TRUE(off.flags.accessibilityUnavailable);
    EXPECT_FALSE(off.flags.hasSelection);
}

TEST_F(IDEStateProviderTest, ScreenIntelligenceOffOnlySetsItsFlag)
{
    source.focus({{"AXRole", "AXTextArea"}});
    auto withSI = run("com.microsoft.VSCode", "Code", 0.2);
    on.screenIntelligenceEnabled = false;
    auto withoutSI = run("com.microsoft.VSCode", "Code", 0.2);
    EXPECT_FALSE(withSI.flags.screenIntelligenceUnavailable);
    EXPECT_TRUE(withoutSI.flags.screenIntelligenceUnavailable);
    EXPECT_EQ(withSI.summary, withoutSI.summary);
}

TEST_F(IDEStateProviderTest, ReadsBothSwitchesFromHUDSettings)
{
    InMemoryUserDefaults defaults;
    HUDSettings settings{defaults};
    const ActiveAppSnapshot app{"Firefox", "org.mozilla.firefox", ""};
    EXPECT_EQ(provider.snapshot(app, InputSnapshot{0, true}, 0, settings), IDEStateSnapshot::disabled());

    settings.aiIdeSensingEnabled = true;
    auto on = provider.snapshot(app, InputSnapshot{0, true}, 0, settings);
    EXPECT_TRUE(on.isEnabled);
    EXPECT_TRUE(on.flags.screenIntelligenceUnavailable);
    settings.screenIntelligenceEnabled = true;
    EXPECT_FALSE(provider.snapshot(app, InputSnapshot{0, true}, 0, settings).flags.screenIntelligenceUnavailable);
}

TEST(IDEStateRawValuesTest, RoundTripAndRejectUnknownText)
{
    for (auto s : {IDEAppSurface::none, IDEAppSurface::cursor, IDEAppSurface::codex, IDEAppSurface::terminal,
                   IDEAppSurface::research})
        EXPECT_EQ(ideAppSurfaceFromRaw(rawValue(s)), s);
    for (auto s : {IDEPrimaryState::idle, IDEPrimaryState::working, IDEPrimaryState::prompting,
                   IDEPrimaryState::waiting, IDEPrimaryState::researching, IDEPrimaryState::terminal})
        EXPECT_EQ(idePrimaryStateFromRaw(rawValue(s)), s);
    EXPECT_FALSE(ideAppSurfaceFromRaw("Cursor"));
    EXPECT_FALSE(idePrimaryStateFromRaw(""));
}

} // namespace
} // namespace plovane
