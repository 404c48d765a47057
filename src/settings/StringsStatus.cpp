// Texts of the engine and of the permission status line.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::pick;
using strings_detail::TextPair;

std::string Strings::welcomeBack(Language lang)
{
    return pick({"Welcome back! Fully recharged. Let's go 💪", "欢迎回来！满血复活，继续冲 💪"}, lang);
}

std::string Strings::permissionNameAccessibility(Language lang)
{
    return pick({"AX", "AX"}, lang);
}

std::string Strings::permissionNameScreen(Language lang)
{
    return pick({"Screen", "录屏"}, lang);
}

std::string Strings::permissionOn(Language lang)
{
    return pick({"On", "已开启"}, lang);
}

std::string Strings::permissionOff(Language lang)
{
    return pick({"Off", "未开启"}, lang);
}

std::string Strings::permissionDenied(Language lang)
{
    return pick({"Denied", "已拒绝"}, lang);
}

std::string Strings::permissionUnavailable(Language lang)
{
    return pick({"N/A", "不可用"}, lang);
}

} // namespace plovane
