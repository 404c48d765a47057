// HUD texts: the right-click menu, the welcome bubble and the data panel's button.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::pick;

std::string Strings::hudMenuSurface(DiveState state, Language lang)
{
    return state == DiveState::resting ? pick({"Back to Work", "回去搬砖"}, lang) : pick({"Take a Break", "休息一下"}, lang);
}

std::string Strings::hudMenuDrainSettings(Language lang)
{
    return pick({"Drain Settings", "扣血机制"}, lang);
}

std::string Strings::hudMenuOverload(bool chaosEnabled, Language lang)
{
    return chaosEnabled ? pick({"🤯 Disable Overload", "🤯 关闭过载警告"}, lang)
                        : pick({"🤯 Enable Overload", "🤯 开启过载警告"}, lang);
}

std::string Strings::menuCompactMode(bool compactMode, Language lang)
{
    return compactMode ? pick({"📊 Expand Panel", "📊 展开面板"}, lang) : pick({"📊 Compact Mode", "📊 简洁模式"}, lang);
}

std::string Strings::menuKnockHint(bool knockHintEnabled, Language lang)
{
    return knockHintEnabled ? pick({"❓ Disable Knock Hint", "❓ 关闭敲击疑问提示"}, lang)
                            : pick({"❓ Enable Knock Hint", "❓ 开启敲击疑问提示"}, lang);
}

std::string Strings::hudMenuLanguageToggle(Language lang)
{
    return pick({"切换为中文", "Switch to English"}, lang);
}

std::string Strings::hudMenuDailyReport(Language lang)
{
    return pick({"📊 Daily Report", "📊 查看今日日报"}, lang);
}

std::string Strings::welcomeMessageStart(Language lang)
{
    return pick({"Your PFC guardian is online!\n👈 Left-click: toggle Focus / Rest\n(I can hold ",
                 "你的前额叶守护者已上线！\n👈 左键点击：切换 专注 / 休息\n（我最多撑 "},
                lang);
}

std::string Strings::welcomeMessageEnd(Language lang)
{
    return pick({" min max)\n👉 Right-click: tweak settings & more\nMay the Vibe be with you! 🔥",
                 " 分钟哦）\n👉 右键点击：修改工作时间及更多配置\n祝你今天 Vibe 灵感爆满！🔥"},
                lang);
}

std::string Strings::welcomeButton(Language lang)
{
    return pick({"Got it 👌", "我知道啦 👌"}, lang);
}

std::string Strings::actionButtonWork(Language lang)
{
    return pick({"Work", "搬砖"}, lang);
}

std::string Strings::actionButtonRest(Language lang)
{
    return pick({"Rest", "休息"}, lang);
}

} // namespace plovane
