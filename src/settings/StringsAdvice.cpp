// The engine's first advice and the fallbacks it shows when a pool gives nothing.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::pick;

std::string Strings::initialAdvice(Language lang)
{
    return pick({"Feeling good, let's go!", "键盘敲得飞起，感觉能行！"}, lang);
}

std::string Strings::flowFallback(Language lang)
{
    return pick({"Locked in. Keep the momentum.", "键盘敲得飞起，感觉能行！"}, lang);
}

std::string Strings::researchFallback(Language lang)
{
    return pick({"Researching. Let the ideas connect.", "调研中，慢慢来，信息量大不要急。"}, lang);
}

std::string Strings::chaosFallback(Language lang)
{
    return pick({"Easy, stop bouncing around.", "冷静，别反复横跳。"}, lang);
}

std::string Strings::hoveringFallback(Language lang)
{
    return pick({"Taking a breather, not bad.", "摸会儿鱼也挺好的。"}, lang);
}

std::string Strings::restingFallback(Language lang)
{
    return pick({"😎 Break time! Get up and move.", "😎 去休息！站起来活动一下吧。"}, lang);
}

std::string Strings::criticalFallback(Language lang)
{
    return pick({"🚨 Injury Alert! Stand up and move for one minute RIGHT NOW!", "🚨 工伤警告！立刻站起来活动一分钟！"},
                lang);
}

} // namespace plovane
