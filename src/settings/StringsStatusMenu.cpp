// Texts of the status menu's rows and of its character submenu.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::pick;

std::string Strings::menuDrainSettings(Language lang)
{
    // The gear is a text symbol unless asked for as an emoji: without the selector a
    // panel draws it in black among the other rows' colour emoji.
    return pick({"⚙️ Drain Settings", "⚙️ 扣血机制"}, lang);
}

std::string Strings::menuAiSensing(bool enabled, Language lang)
{
    return enabled ? pick({"🤖 Disable AI IDE Sensing (Beta)", "🤖 关闭 AI IDE 智能感知（Beta）"}, lang)
                   : pick({"🤖 Enable AI IDE Sensing (Beta)", "🤖 开启 AI IDE 智能感知（Beta）"}, lang);
}

std::string Strings::menuScreenIntelligence(bool enabled, Language lang)
{
    return enabled ? pick({"🖥️ Disable Screen Intelligence (Beta)", "🖥️ 关闭屏幕理解（Beta）"}, lang)
                   : pick({"🖥️ Enable Screen Intelligence (Beta)", "🖥️ 开启屏幕理解（Beta）"}, lang);
}

std::string Strings::menuPermissionsPrefix(Language lang)
{
    return pick({"🔐 Permissions: ", "🔐 权限状态: "}, lang);
}

std::string Strings::menuIdeStatePrefix(Language lang)
{
    return pick({"🧠 IDE State: ", "🧠 IDE 状态: "}, lang);
}

std::string Strings::menuEnableAccessibility(Language lang)
{
    return pick({"🔓 Enable Accessibility...", "🔓 开启辅助功能权限..."}, lang);
}

std::string Strings::menuEnableScreenRecording(Language lang)
{
    return pick({"🔓 Enable Screen Recording...", "🔓 开启屏幕录制权限..."}, lang);
}

std::string Strings::accessibilityOnTitle(Language lang)
{
    return pick({"Accessibility is on", "辅助功能已开启"}, lang);
}

std::string Strings::accessibilityOnRestartNote(Language lang)
{
    return pick({"Applications that were already running, Qt and KDE applications among them, are seen only once "
                 "they are restarted: restart them, or log in again.",
                 "已在运行的应用（包括 Qt 和 KDE 应用）要重新启动后才能被识别：请重启这些应用，或重新登录。"},
                lang);
}

std::string Strings::menuReconfigure(Language lang)
{
    return pick({"✨ Reconfigure Enhancements...", "✨ 重新配置增强功能..."}, lang);
}

std::string Strings::menuEnhancements(Language lang)
{
    return pick({"✨ Enhancements", "✨ 增强功能"}, lang);
}

std::string Strings::menuSwitchCharacter(Language lang)
{
    return pick({"Switch Character", "切换员工"}, lang);
}

std::string Strings::menuOpacityTitle(Language lang)
{
    return pick({"Idle Opacity", "常驻透明度"}, lang);
}

std::string Strings::menuBuiltInCharacters(Language lang)
{
    return pick({"── Built-in ──", "── 内置 ──"}, lang);
}

std::string Strings::menuCustomCharacters(Language lang)
{
    return pick({"── Custom ──", "── 自定义 ──"}, lang);
}

std::string Strings::menuImportPack(Language lang)
{
    return pick({"📦 Import Character Pack...", "📦 导入员工包..."}, lang);
}

std::string Strings::menuOpenCustomFolder(Language lang)
{
    return pick({"📂 Open Custom Folder", "📂 打开自定义目录"}, lang);
}

} // namespace plovane
