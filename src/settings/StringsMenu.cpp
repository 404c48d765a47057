// Texts of the status item and its menu.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::pick;

std::string Strings::menuToggleHUD(Language lang)
{
    return pick({"Show/Hide HUD", "显示/隐藏悬浮窗"}, lang);
}

std::string Strings::menuTargetRoot(Language lang)
{
    return pick({"Health Patch List (multi-select)", "健康漏洞补丁（可多选）"}, lang);
}

std::string Strings::menuRotateHint(Language lang)
{
    return pick({"Tips rotate through checked patches", "提示将轮播已打勾的补丁项"}, lang);
}

std::string Strings::menuQuit(Language lang)
{
    return pick({"Quit Plovane", "退出 Plovane"}, lang);
}

std::string Strings::statusBarTooltip(Language lang)
{
    return pick({"Plovane – Click to show/hide", "Plovane – 点击显示/隐藏"}, lang);
}

// The item offers the other language, so it is written in both: a reader who does not
// understand the current language can still find it.
std::string Strings::menuLanguageToggle(Language lang)
{
    return pick({"切换为中文 (Switch to Chinese)", "切换为英文 (Switch to English)"}, lang);
}

} // namespace plovane
