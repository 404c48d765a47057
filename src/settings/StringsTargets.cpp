// Texts of the health targets: names, descriptions, urgent commands and area titles.

#include "settings/StringsText.h"

#include <cstddef>

namespace plovane {

using strings_detail::pick;
using strings_detail::TextPair;

namespace {

// Rows in the declaration order of AchillesTarget.
constexpr std::size_t kTargetCount = RawValues<AchillesTarget>::texts.size();

constexpr std::array<TextPair, kTargetCount> kTitles{{
    {"Disc Herniation", "腰椎间盘突出 (Disc Herniation)"},
    {"Muscle Strain", "腰肌劳损 (Muscle Strain)"},
    {"Cervical Reversal", "颈椎反弓 (Cervical Reversal)"},
    {"Neck Muscle Strain", "颈部肌肉劳损 (Neck Strain)"},
    {"Dry Eye Syndrome", "干眼症 (Dry Eye Syndrome)"},
    {"Retinal Fatigue", "视网膜疲劳 (Retinal Fatigue)"},
    {"Pseudo-Myopia", "假性近视加深 (Pseudo-Myopia)"},
    {"Varicose Veins", "下肢静脉曲张 (Varicose Veins)"},
    {"DVT Risk", "深静脉血栓风险 (DVT Risk)"},
    {"Venous Pooling", "下肢压力淤积 (Venous Pooling)"},
    {"Gluteal Amnesia", "死臀综合征 (Gluteal Amnesia)"},
    {"Knee Stiffness", "膝关节僵硬 (Knee Stiffness)"},
    {"Calf Cramp Warning", "腓肠肌痉挛预兆 (Calf Cramp Warning)"},
}};

constexpr std::array<TextPair, kTargetCount> kSubtitles{{
    {"Career-ending condition. Required if you feel radiating numbness.", "程序员职业终点。有下肢放射性麻木必选。"},
    {"Deep lumbar ache from prolonged sitting. Classic 'broken back' feeling.", "久坐导致腰部深处酸痛，感觉腰快断了。"},
    {"Neck loses its natural curve from years of screen-staring.", "长期盯屏幕，脖子失去正常生理曲线。"},
    {"Constant head tilt from screen use causes chronic neck muscle tension.", "低头看屏幕导致颈部肌群持续紧绷酸痛。"},
    {"Corneal dehydration from high-intensity coding without blinking.", "高强度盯代码忘记眨眼，角膜脱水感。"},
    {"Blurred or doubled vision after prolonged blue-light exposure.", "长时间蓝光照射，视力模糊或重影。"},
    {"Lens locked in spasm—distant objects appear blurry.", "晶状体调节痉挛状态，看远方模糊。"},
    {"Prolonged leg compression damages venous valves.", "腿部长期受压，静脉瓣膜功能受损。"},
    {"Most dangerous. Immobility can cause clots. Risk of pulmonary embolism.", "最致命一项。长期不动可能导致血栓。"},
    {"Ankles and feet swell. Your shoes feel tighter by end of day.", "脚踝和脚背感觉肿胀，鞋子变紧。"},
    {"Glutes forget how to fire after being sat on all day.", "臀肌由于废用性忘记了如何发力。"},
    {"Fixed bend position restricts synovial fluid circulation.", "长期固定弯曲，关节滑液循环受阻。"},
    {"Calf muscles on edge. A cramp is always one stretch away.", "小腿肌肉紧绷，随时有抽筋的风险。"},
}};

constexpr std::array<TextPair, kTargetCount> kCriticalCommands{{
    {"🚨 Injury Alert! Disc is done. Do 3 chest-openers, stand up NOW!",
     "🚨 工伤警告！椎间盘快撑不住了，立刻起身后仰扩胸 3 次！"},
    {"🚨 Injury Alert! Lumbar muscles failing. Stretch your back 30s NOW!",
     "🚨 工伤警告！腰肌快崩了，立刻站起来拉伸腰背 30 秒！"},
    {"🚨 Injury Alert! Cervical spine protesting. Neck stretches NOW, head back!",
     "🚨 工伤警告！颈椎在抗议，立刻做颈部拉伸，头别再往前探！"},
    {"🚨 Injury Alert! Neck muscles are done. Rotate head 5x each side, look up 10s NOW!",
     "🚨 工伤警告！脖子快断了，立刻左右转头各 5 次，抬头看天花板 10 秒！"},
    {"🚨 Injury Alert! Corneas dehydrating. Blink 20 times, step away NOW!",
     "🚨 工伤警告！角膜脱水，使劲眨眼 20 次，离开屏幕 30 秒！"},
    {"🚨 Injury Alert! Retinas are fried. Look 20 ft away for 20 sec NOW!",
     "🚨 工伤警告！视网膜在冒烟，看向 6 米外 20 秒，现在！"},
    {"🚨 Injury Alert! Ciliary spasm. Eyes closed 1 min, stop staring close-up!",
     "🚨 工伤警告！睫状肌痉挛，闭眼休息 1 分钟，别再盯着近处！"},
    {"🚨 Injury Alert! Legs are dying. 10 calf raises NOW!", "🚨 工伤警告！腿快废了，立刻起来提踵 10 次！"},
    {"🚨 Injury Alert! DVT risk! Stand up and walk 1 minute RIGHT NOW!",
     "🚨 工伤警告！血栓风险！立刻站起来走动 1 分钟，现在！"},
    {"🚨 Injury Alert! Venous pooling. Ankle circles 20x, then stand up!",
     "🚨 工伤警告！下肢淤血，踝关节画圈 20 次，然后站起来！"},
    {"🚨 Injury Alert! Glutes offline. Stand up and do 10 squats NOW!", "🚨 工伤警告！臀肌已断线，立刻起身做 10 个深蹲！"},
    {"🚨 Injury Alert! Knees locked up. Stand and do 10 knee circles NOW!",
     "🚨 工伤警告！膝关节罢工，站起来做 10 个膝盖绕圈！"},
    {"🚨 Injury Alert! Calf cramp incoming. 10 calf raises + drink water NOW!",
     "🚨 工伤警告！小腿在酝酿抽筋，立刻提踵 10 次，喝点水！"},
}};

// One title per body area, areas 1 to 4.
constexpr std::array<TextPair, kBodyAreaCount> kAreaTitles{{
    {"Core & Lumbar", "腰部与脊柱"},
    {"Visual Sensors", "视觉系统"},
    {"Circulation & Veins", "循环与静脉"},
    {"Lower Limbs & Muscles", "腿部与肌肉"},
}};

std::size_t row(AchillesTarget target)
{
    return static_cast<std::size_t>(target);
}

std::size_t areaRow(AchillesTarget target)
{
    return static_cast<std::size_t>(bodyArea(target) - 1);
}

} // namespace

std::string Strings::achillesTitle(AchillesTarget target, Language lang)
{
    return pick(kTitles.at(row(target)), lang);
}

std::string Strings::achillesSubtitle(AchillesTarget target, Language lang)
{
    return pick(kSubtitles.at(row(target)), lang);
}

std::string Strings::criticalCommand(AchillesTarget target, Language lang)
{
    return pick(kCriticalCommands.at(row(target)), lang);
}

std::string Strings::achillesCategoryTitle(AchillesTarget target, Language lang)
{
    return pick(kAreaTitles.at(areaRow(target)), lang);
}

Strings::TargetPool strings_detail::targetPool(const AreaLists& areas, Language lang)
{
    // Build each area's list once; the targets of an area get copies of the same list.
    std::array<std::vector<std::string>, kBodyAreaCount> lists;
    for (std::size_t area = 0; area < lists.size(); ++area)
        lists[area] = plainPool(areas[area], lang);

    Strings::TargetPool pool;
    for (AchillesTarget target : allCases<AchillesTarget>())
        pool.emplace(target, lists.at(areaRow(target)));
    return pool;
}

} // namespace plovane
