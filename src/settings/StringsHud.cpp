// HUD texts: the status headline and the data panel.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::pick;
using strings_detail::TextPair;

namespace {

constexpr TextPair kCrashing{"💀 Crashing", "💀 要碎了 (Crashing)"};

TextPair stateTitle(DiveState state)
{
    switch (state) {
    case DiveState::flow:
        return {"🔥 In the Zone", "🔥 搬砖中 (Coding)"};
    case DiveState::research:
        return {"📖 Researching", "📖 调研中 (Research)"};
    case DiveState::chaos:
        return {"🤯 Overloaded", "🤯 CPU 干烧了 (Overloaded)"};
    case DiveState::hovering:
        return {"☕️ AFK", "☕️ 挂机中 (AFK)"};
    case DiveState::critical:
        return kCrashing;
    case DiveState::resting:
        return {"😎 Chilling", "😎 带薪摸鱼 (Chilling)"};
    }
    return kCrashing;
}

} // namespace

std::string Strings::statusTitle(DiveState state, bool decomp, Language lang)
{
    return pick(decomp ? kCrashing : stateTitle(state), lang);
}

std::string Strings::tooltipWear(Language lang)
{
    return pick({"Fatigue level from sitting. +1 every 20 min.", "久坐磨损等级，每 20 分钟升 1 级。"}, lang);
}

std::string Strings::tooltipShift(Language lang)
{
    return pick({"Current work shift duration.", "本班次连续搬砖时长。"}, lang);
}

std::string Strings::tooltipNoise(Language lang)
{
    return pick({"Brain noise from context-switching.", "脑内噪音水平。窗口切换越多，噪音越大。"}, lang);
}

std::string Strings::noiseZen(Language lang)
{
    return pick({"Zen", "专注"}, lang);
}

std::string Strings::noiseLoud(Language lang)
{
    return pick({"Loud", "嘈杂"}, lang);
}

std::string Strings::headerTitle(Language lang)
{
    return pick({"Plovane Dive Log", "Plovane 潜水日志"}, lang);
}

std::string Strings::spriteHoverTip(Language lang)
{
    return pick({"Clock Out!", "下班! (Clock Out)"}, lang);
}

} // namespace plovane
