#include "sensing/IDEStateProvider.h"

#include "platform/KnownTerminals.h"
#include "sensing/AXContextMonitor.h"
#include "sensing/TextUtil.h"
#include "settings/HUDSettings.h"

#include <algorithm>
#include <string_view>

namespace plovane {

namespace {

constexpr double kShortIdleSeconds = 2.5;
constexpr double kLongIdleSeconds = 12.0;
constexpr int kContextSwitchingAbove = 4;

bool containsAny(const std::string& text, const std::vector<std::string>& keywords)
{
    return std::any_of(keywords.begin(), keywords.end(),
                       [&](const std::string& k) { return text.find(k) != std::string::npos; });
}

std::vector<std::string> concat(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<std::string> out(a);
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

} // namespace

IDEStateProvider::IDEStateProvider(AXContextMonitor& axContextMonitor)
    : axContextMonitor_(axContextMonitor),
      sharedPromptKeywords_{"ask", "composer", "prompt", "reply", "chat", "message", "continue",
                            "follow-up", "follow up", "后续", "继续", "输入", "提问"},
      cursorPromptKeywords_{"ask", "chat", "composer", "agent", "message", "prompt", "assistant"},
      codexPromptKeywords_{"follow-up", "follow up", "reply", "prompt", "codex", "后续", "继续"},
      terminalKeywords_{"shell", "prompt", "command", "terminal", "zsh", "bash", "fish"},
      researchBundleIDs_{"com.google.Chrome", "com.apple.Safari", "com.browsercompany.Arc", "org.mozilla.firefox",
                         "com.apple.Preview", "md.obsidian", "com.notion.id"},
      cursorAllKeywords_{concat(sharedPromptKeywords_, cursorPromptKeywords_)},
      codexAllKeywords_{concat(sharedPromptKeywords_, codexPromptKeywords_)}
{
}

IDEAppSurface IDEStateProvider::detectSurface(const ActiveAppSnapshot& app) const
{
    const std::string lowerName = asciiLower(app.name);
    const std::string& id = app.bundleID;
    if (id == "com.todesktop.230313mzl4w4u92" || id == "com.microsoft.VSCode" || id == "com.microsoft.VSCodeInsiders" ||
        lowerName.find("cursor") != std::string::npos)
        return IDEAppSurface::cursor;
    if (id == "com.openai.codex" || lowerName.find("codex") != std::string::npos ||
        lowerName.find("antigravity") != std::string::npos)
        return IDEAppSurface::codex;
    // Every terminal the work set knows, not only the other desktop's two.
    if (isKnownTerminal(id))
        return IDEAppSurface::terminal;
    if (researchBundleIDs_.contains(id))
        return IDEAppSurface::research;
    return IDEAppSurface::none;
}

const std::vector<std::string>& IDEStateProvider::promptKeywords(IDEAppSurface surface) const
{
    switch (surface) {
    case IDEAppSurface::cursor:
        return cursorAllKeywords_;
    case IDEAppSurface::codex:
        return codexAllKeywords_;
    default:
        return sharedPromptKeywords_;
    }
}

std::string IDEStateProvider::makeSummary(IDEAppSurface surface, IDEPrimaryState state, const IDEStateFlags& flags,
                                          const AXContextSnapshot& ax)
{
    std::string summary = std::string(rawValue(surface)) + ":" + std::string(rawValue(state));
    auto add = [&summary](std::string_view part) {
        summary += " | ";
        summary += part;
    };
    if (flags.contextSwitching)
        add("switching");
    if (flags.hasSelection)
        add("selection");
    if (flags.accessibilityUnavailable)
        add("ax-off");
    if (!ax.focusedRole.empty())
        add("role=" + ax.focusedRole);
    if (!ax.focusedLabel.empty())
        add("focus=" + ax.focusedLabel);
    return summary;
}

IDEStateSnapshot IDEStateProvider::snapshot(const ActiveAppSnapshot& appSnapshot, const InputSnapshot& inputSnapshot,
                                            int switches60s)
{
    return snapshot(appSnapshot, inputSnapshot, switches60s, HUDSettings::shared());
}

IDEStateSnapshot IDEStateProvider::snapshot(const ActiveAppSnapshot& appSnapshot, const InputSnapshot& inputSnapshot,
                                            int switches60s, const HUDSettings& settings)
{
    return snapshot(appSnapshot, inputSnapshot, switches60s,
                    IDESensingSwitches{settings.aiIdeSensingEnabled.get(), settings.screenIntelligenceEnabled.get()});
}

IDEStateSnapshot IDEStateProvider::snapshot(const ActiveAppSnapshot& appSnapshot, const InputSnapshot& inputSnapshot,
                                            int switches60s, const IDESensingSwitches& settings)
{
    if (!settings.aiIdeSensingEnabled)
        return IDEStateSnapshot::disabled();

    const IDEAppSurface surface = detectSurface(appSnapshot);
    IDEStateFlags flags;
    flags.contextSwitching = switches60s > kContextSwitchingAbove;
    flags.screenIntelligenceUnavailable = !settings.screenIntelligenceEnabled;

    if (surface == IDEAppSurface::none)
        return {true, surface, IDEPrimaryState::idle, flags, "idle"};
    if (surface == IDEAppSurface::research)
        return {true, surface, IDEPrimaryState::researching, flags, "researching"};

    const AXContextSnapshot ax = axContextMonitor_.snapshot(appSnapshot.bundleID);
    flags.accessibilityUnavailable = !ax.accessibilityTrusted;
    flags.hasSelection = !isBlank(ax.selectedText);

    const std::string role = asciiLower(ax.focusedRole);
    const std::string text = asciiLower(ax.focusedLabel + " " + ax.inputFieldHint + " " + ax.lastInputFieldDescriptor);
    const bool isTextInput = role.find("textarea") != std::string::npos || role.find("textfield") != std::string::npos;
    const bool promptMatch = isTextInput && containsAny(text, promptKeywords(surface));
    const bool terminalMatch = isTextInput && containsAny(text, terminalKeywords_);

    const bool typing = inputSnapshot.isActivelyTyping;
    const bool shortIdle = inputSnapshot.noInputSeconds >= kShortIdleSeconds;
    const bool longIdle = inputSnapshot.noInputSeconds >= kLongIdleSeconds;

    IDEPrimaryState state = IDEPrimaryState::idle;
    if (surface == IDEAppSurface::cursor || surface == IDEAppSurface::codex) {
        if (promptMatch && shortIdle)
            state = IDEPrimaryState::waiting;
        else if (promptMatch)
            state = IDEPrimaryState::prompting;
        else if (flags.hasSelection && !typing)
            state = IDEPrimaryState::researching;
        else if (typing)
            state = IDEPrimaryState::working;
        else if (longIdle)
            state = IDEPrimaryState::idle;
        else if (shortIdle)
            state = IDEPrimaryState::waiting;
        else
            state = IDEPrimaryState::working;
    } else if (surface == IDEAppSurface::terminal) {
        if (typing || terminalMatch)
            state = IDEPrimaryState::terminal;
        else if (shortIdle)
            state = IDEPrimaryState::waiting;
        else
            state = IDEPrimaryState::terminal;
    }

    return {true, surface, state, flags, makeSummary(surface, state, flags, ax)};
}

} // namespace plovane
