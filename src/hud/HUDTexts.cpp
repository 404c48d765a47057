#include "hud/HUDTexts.h"

#include <cmath>
#include <limits>

namespace plovane::hud {

namespace {
std::string pick(Language language, const char* en, const char* zh)
{
    return language == Language::zh ? zh : en;
}
} // namespace

std::vector<MenuEntry> contextMenuEntries(const MenuInputs& in)
{
    const Language l = in.language;
    return {
        {&HUDMenuActions::triggerSurface,
         in.state == DiveState::resting ? pick(l, "Back to Work", "回去搬砖") : pick(l, "Take a Break", "休息一下")},
        {},
        {&HUDMenuActions::openDrainSettings, pick(l, "Drain Settings", "扣血机制")},
        {&HUDMenuActions::toggleChaos, in.chaosEnabled ? pick(l, "🤯 Disable Overload", "🤯 关闭过载警告")
                                                  : pick(l, "🤯 Enable Overload", "🤯 开启过载警告")},
        {&HUDMenuActions::toggleCompact,
         in.compactMode ? pick(l, "📊 Expand Panel", "📊 展开面板") : pick(l, "📊 Compact Mode", "📊 简洁模式")},
        {&HUDMenuActions::toggleKnockHint, in.knockHintEnabled ? pick(l, "❓ Disable Knock Hint", "❓ 关闭敲击疑问提示")
                                                          : pick(l, "❓ Enable Knock Hint", "❓ 开启敲击疑问提示")},
        // Titled in the language the user would switch to.
        {&HUDMenuActions::toggleLanguage, pick(l, "切换为中文", "Switch to English")},
        {&HUDMenuActions::openDailyReport, pick(l, "📊 Daily Report", "📊 查看今日日报")},
        {},
        {&HUDMenuActions::quit, pick(l, "Quit Plovane", "退出 Plovane")},
    };
}

std::string welcomeMessage(Language language, double sessionMinutes)
{
    // Nothing bounds what may be stored; a value with no whole-minute form shows the
    // default session length rather than garbage.
    long long minutes = 45;
    if (std::isfinite(sessionMinutes) && std::abs(sessionMinutes) < 1e15)
        minutes = static_cast<long long>(std::trunc(sessionMinutes));
    const std::string n = std::to_string(minutes);
    if (language == Language::zh)
        return "你的前额叶守护者已上线！\n👈 左键点击：切换 专注 / 休息\n（我最多撑 " + n +
               " 分钟哦）\n👉 右键点击：修改工作时间及更多配置\n祝你今天 Vibe 灵感爆满！🔥";
    return "Your PFC guardian is online!\n👈 Left-click: toggle Focus / Rest\n(I can hold " + n +
           " min max)\n👉 Right-click: tweak settings & more\nMay the Vibe be with you! 🔥";
}

std::string welcomeButtonTitle(Language language) { return pick(language, "Got it 👌", "我知道啦 👌"); }

ActionButtonLook stateActionButton(DiveState state, Language language)
{
    if (state == DiveState::resting)
        return {pick(language, "Work", "搬砖"), "hammer.fill", Hue::blue};
    return {pick(language, "Rest", "休息"), "cup.and.saucer.fill", Hue::green};
}

} // namespace plovane::hud
