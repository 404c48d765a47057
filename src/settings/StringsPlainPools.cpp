// Plain tip pools: entering research, entering chaos, and general trivia while away.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::plainPool;
using strings_detail::TextPair;

namespace {

// Research texts open with a reading-state phrase.
constexpr std::array<TextPair, 10> kResearch{{
    {"Research mode. Stay critical—don't just hoard tabs.",
     "调研模式。保持批判性思维，不要只收藏不消化。"},
    {"Browsing. Found something useful? Jot it down before you lose it.",
     "浏览中。找到关键信息了吗？记得随手记笔记。"},
    {"Info gathering. Save first, get pulled by the next link later.",
     "信息收集中。看到好东西先存下来，别被链接带跑。"},
    {"Good research rhythm. Try closing tabs periodically to consolidate.",
     "调研节奏不错。记得隔一段时间合上标签页，整理一下思路。"},
    {"Reading. Slow down—understanding one page beats skimming ten.",
     "在读东西。放慢速度，读懂一段比快速刷十段有用。"},
    {"Scanning docs. Ask yourself: how does this relate to what I'm solving?",
     "看资料中。多问一句：这和我要解决的问题有什么关系？"},
    {"Tab count above 7? You might be performance-researching. Close some.",
     "浏览模式。标签页超过 7 个的时候，就已经在假装调研了。"},
    {"Reading now. Got a note to jot? Do it now—you won't remember later.",
     "读文档中。有没有想记的点？现在记，等会儿就忘了。"},
    {"Ingesting info. Spotted conflicting claims? That's where it gets interesting.",
     "信息摄入中。看到互相矛盾的说法了吗？那才是有趣的地方。"},
    {"Browsing. Is the source solid? Cross-check with a couple more before trusting.",
     "浏览中。来源可靠吗？一次性多看几篇，别只信一家。"},
}};

// Chaos texts tell the user to stop switching windows.
constexpr std::array<TextPair, 10> kChaos{{
    {"Easy there! Too much switching—your brain is overheating.",
     "老铁冷静！窗口切来切去，CPU 都快冒烟了。"},
    {"Stop. Context-switching costs 23 min of focus each time.",
     "停！你在反复横跳，大脑需要 23 分钟重建上下文。"},
    {"Breathe. Pick one window and stay there.",
     "深呼吸，选一个窗口待着，别当多动症患者。"},
    {"Brain buzzing? That's what happens when you switch too fast.",
     "脑子嗡嗡的对吧？因为你 1 分钟切了太多次窗口。"},
    {"Try this: close your eyes 5 sec, decide your next move, then act.",
     "建议：先闭眼 5 秒，想清楚下一步再动手。"},
    {"Tab-hopping again? Write down your current task. Pin it.",
     "切换上瘾了是吗？先写下当前任务，钉死在屏幕上再说。"},
    {"Overload alert. Stop and reprioritize your to-do list right now.",
     "信息过载预警。停下来，把 to-do 清单整理一遍，优先级排好。"},
    {"Working or performing work? Pick one thing. Commit.",
     "你现在是在工作还是在假装工作？选一件事，现在就定。"},
    {"Attention scattered. Close the windows you don't need right now.",
     "注意力已分散。关掉不需要的窗口，只留一个主战场。"},
    {"Rapid switching = CPU scheduling overhead, not actual progress. Focus up.",
     "频繁切换 = 大脑在烧 CPU 调度，不是在干活。选一个，冲它。"},
}};

// Index 2 deliberately names a different breathing pattern in each language.
constexpr std::array<TextPair, 12> kGeneralTrivia{{
    {"The prefrontal cortex needs 5 min of mind-wandering to defrag.",
     "前额叶高强度运转后，需要 5 分钟放空来回血。"},
    {"Go refill water: hydration + forced standing break—two birds, one mug.",
     "去倒杯水吧，补水 + 强制站起来，一石二鸟。"},
    {"Box breathing: 4s in, 4s hold, 4s out, 4s hold. Instant calm.",
     "深呼吸 4-7-8：吸 4 秒、屏 7 秒、呼 8 秒，秒切副交感。"},
    {"Pomodoro's value isn't timing—it's forcing sprint-and-recovery cycles.",
     "番茄钟的精髓不是计时，是强制在冲刺和回血之间切换。"},
    {"Yawning is your brain's built-in cooling system. Let it happen.",
     "打个哈欠也是一种休息，大脑在给自己降温。"},
    {"Zoning out isn't laziness—it's background garbage collection.",
     "发呆不是偷懒，是大脑在后台整理内存碎片。"},
    {"Caffeine half-life is 6 hours. That 3pm coffee is why you're still awake.",
     "咖啡因的半衰期是 6 小时，下午 3 点之后的那杯不是你睡不着的唯一原因。"},
    {"Post-lunch dip around 1pm is circadian, not laziness. It's real.",
     "午后 1 点睡意最重，是生理节律正常波谷，不是你懒。"},
    {"Decision fatigue is real. Do the important work early, not after lunch.",
     "决策疲劳是真实的，早上先做重要的事，别留到下午。"},
    {"Standing desks at 2h+ create as much back load as sitting. Alternate.",
     "站立办公 2 小时后背部压力不比坐小，直立不等于没问题。"},
    {"Phone out of sight (not just silent) boosts focus 26%. Put it away.",
     "手机不在视野里时，专注力能提升 26%，不只是别看手机。"},
    {"White noise beats music for sustained focus—lyrics hijack the speech cortex.",
     "听白噪音比听歌更利于持续专注，歌词会抢占语言皮层。"},
}};

} // namespace

std::vector<std::string> Strings::researchAdvicePool(Language lang)
{
    return plainPool(kResearch, lang);
}

std::vector<std::string> Strings::chaosAdvicePool(Language lang)
{
    return plainPool(kChaos, lang);
}

std::vector<std::string> Strings::generalTriviaPool(Language lang)
{
    return plainPool(kGeneralTrivia, lang);
}

} // namespace plovane
