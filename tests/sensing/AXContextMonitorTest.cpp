#include "SensingFakes.h"
#include "sensing/AXContextMonitor.h"

#include <gtest/gtest.h>

namespace plovane {
namespace {

using test::FakeAccessibility;

void expectUnavailable(const AXContextSnapshot& s)
{
    EXPECT_TRUE(s.windowTitle.empty() && s.focusedRole.empty() && s.focusedLabel.empty() && s.selectedText.empty() &&
                s.inputFieldHint.empty() && s.lastInputFieldDescriptor.empty());
    EXPECT_FALSE(s.accessibilityTrusted);
}

TEST(AXContextMonitorTest, UntrustedOrNoFocusedApplicationIsUnavailable)
{
    FakeAccessibility source;
    source.focus({{"AXRole", "AXTextArea"}});
    AXContextMonitor monitor{source};

    source.trusted = false;
    expectUnavailable(monitor.snapshot("com.microsoft.VSCode"));
    EXPECT_EQ(source.appReads, 0) << "an untrusted process must not walk the tree";

    source.trusted = true;
    source.app = nullptr;
    expectUnavailable(monitor.snapshot("com.microsoft.VSCode"));
}

TEST(AXContextMonitorTest, LabelIsFirstNonBlankAttributeReturnedUntrimmed)
{
    FakeAccessibility source;
    AXContextMonitor monitor{source};

    source.focus({{"AXRole", "AXButton"}, {"AXTitle", "   "}, {"AXDescription", "Send"}});
    auto send = monitor.snapshot("x");
    EXPECT_EQ(send.focusedLabel, "Send");
    EXPECT_EQ(send.inputFieldHint, "Send");

    source.focus({{"AXRole", "AXTextField"}, {"AXTitle", ""}, {"AXPlaceholderValue", "Ask anything"}});
    auto ask = monitor.snapshot("x");
    EXPECT_EQ(ask.focusedLabel, "Ask anything");
    EXPECT_EQ(ask.inputFieldHint, "Ask anything");

    source.focus({{"AXRole", "AXTextField"}, {"AXHelp", " Type here\n"}});
    EXPECT_EQ(monitor.snapshot("x").focusedLabel, " Type here\n");
}

TEST(AXContextMonitorTest, BlankPlaceholderIsAHintButNotALabel)
{
    FakeAccessibility source;
    source.focus({{"AXRole", "AXTextField"}, {"AXPlaceholderValue", " "}});
    AXContextMonitor monitor{source};
    auto s = monitor.snapshot("x");
    EXPECT_EQ(s.focusedLabel, "");
    EXPECT_EQ(s.inputFieldHint, " ");
    EXPECT_EQ(s.lastInputFieldDescriptor, "bundle=x|window=Main|role=AXTextField|label= ");
}

TEST(AXContextMonitorTest, EmptySelectionIsAnAnswerAndHidesTheValue)
{
    FakeAccessibility source;
    AXContextMonitor monitor{source};

    auto& area = source.focus({{"AXRole", "AXTextArea"}, {"AXSelectedText", ""}, {"AXValue", std::string(5000, 'x')}});
    EXPECT_EQ(monitor.snapshot("x").selectedText, "");
    EXPECT_EQ(std::count(area.reads.begin(), area.reads.end(), "AXValue"), 0);

    // No selection attribute (or a non-text one, which reads as absent): the value stands in.
    source.focus({{"AXRole", "AXTextArea"}, {"AXValue", "let x = 1"}});
    EXPECT_EQ(monitor.snapshot("x").selectedText, "let x = 1");

    source.focus({{"AXRole", "AXSlider"}});
    EXPECT_EQ(monitor.snapshot("x").selectedText, "");
}

TEST(AXContextMonitorTest, DescriptorJoinsFieldsUnescapedAndCopesWithNoWindow)
{
    FakeAccessibility source;
    source.focus({{"AXRole", "AXTextArea"}, {"AXTitle", "a|b=c"}}, "Win|dow");
    AXContextMonitor monitor{source};
    auto s = monitor.snapshot("com.openai.codex");
    EXPECT_TRUE(s.accessibilityTrusted);
    EXPECT_EQ(s.windowTitle, "Win|dow");
    EXPECT_EQ(s.lastInputFieldDescriptor, "bundle=com.openai.codex|window=Win|dow|role=AXTextArea|label=a|b=c");

    source.app->window = nullptr;
    auto noWindow = monitor.snapshot("com.openai.codex");
    EXPECT_EQ(noWindow.windowTitle, "");
    EXPECT_EQ(noWindow.lastInputFieldDescriptor, "bundle=com.openai.codex|window=|role=AXTextArea|label=a|b=c");

    source.app->element = nullptr;
    auto nothing = monitor.snapshot("id");
    EXPECT_TRUE(nothing.accessibilityTrusted);
    EXPECT_EQ(nothing.lastInputFieldDescriptor, "bundle=id|window=|role=|label=");
}

TEST(AXContextMonitorTest, ReadsAtMostTheAttributesItNeeds)
{
    FakeAccessibility source;
    auto& element = source.focus({{"AXRole", "AXTextField"}});
    AXContextMonitor monitor{source};
    monitor.snapshot("x");
    // role, four label attributes, selection, value, placeholder
    EXPECT_LE(element.reads.size(), 8u);
}

} // namespace
} // namespace plovane
