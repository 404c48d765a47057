// Texts of the secondary windows: the daily report, the drain settings and the first run setup.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::pick;

std::string Strings::dailyReportWindowTitle(Language lang)
{
    return pick({"Daily Report 📊", "今日日报 📊"}, lang);
}

std::string Strings::reportTitle(Language lang)
{
    return pick({"Daily Report", "今日战报"}, lang);
}

std::string Strings::reportOnline(Language lang)
{
    return pick({"Online", "在线时长"}, lang);
}

std::string Strings::reportStateCardTitle(Language lang)
{
    return pick({"⚔️ State Stats", "⚔️ 状态战绩"}, lang);
}

std::string Strings::reportAppsCardTitle(Language lang)
{
    return pick({"🎮 Top Apps", "🎮 常用应用"}, lang);
}

std::string Strings::reportCollectingData(Language lang)
{
    return pick({"Collecting data…", "数据收集中…"}, lang);
}

std::string Strings::reportNoData(Language lang)
{
    return pick({"No data yet", "暂无数据"}, lang);
}

std::string Strings::reportStateLabel(DiveState state, Language lang)
{
    switch (state) {
    case DiveState::flow:
        return pick({"Coding", "搬砖中"}, lang);
    case DiveState::research:
        return pick({"Research", "调研中"}, lang);
    case DiveState::hovering:
        return pick({"Hovering", "摸鱼中"}, lang);
    case DiveState::resting:
        return pick({"Resting", "带薪休息"}, lang);
    case DiveState::chaos:
        return pick({"Chaos", "能量过载"}, lang);
    case DiveState::critical:
        break;
    }
    return pick({"Critical", "要碎了"}, lang);
}

std::string Strings::drainFullHPLasts(Language lang)
{
    return pick({"Full HP lasts", "满血可支撑"}, lang);
}

std::string Strings::drainSurvivalCaption(Language lang)
{
    return pick({"Time from full HP to zero in Focus mode", "专注模式下从满血到归零的时间"}, lang);
}

std::string Strings::drainSessionSliderName(Language lang)
{
    return pick({"Full-HP session duration", "一次满血的持续时间"}, lang);
}

std::string Strings::drainGlassBrain(Language lang)
{
    return pick({"Glass Brain", "脆皮前额叶"}, lang);
}

std::string Strings::drainIronWill(Language lang)
{
    return pick({"Iron Will", "钢铁意志"}, lang);
}

std::string Strings::drainRecoveryTime(Language lang)
{
    return pick({"Recovery Time", "回血时长"}, lang);
}

std::string Strings::drainRecoveryCaption(Language lang)
{
    return pick({"Time to fully recover HP when resting", "点击图芬休息时，从空血回满需要的时间"}, lang);
}

std::string Strings::drainDragHint(Language lang)
{
    return pick({"Drag to adjust full-HP session duration", "拖动滑块调整一次满血的持续时间"}, lang);
}

std::string Strings::drainTradeOff(Language lang)
{
    return pick({"Shorter → more frequent health reminders\nLonger → hardcore mode for deep focus",
                 "越短 → 更频繁地提醒你保护腰椎和静脉\n越长 → 硬核战神模式，适合深度专注"},
                lang);
}

std::string Strings::firstRunTitle(Language lang)
{
    return pick({"First Run Setup", "首次功能配置"}, lang);
}

std::string Strings::firstRunSubtitle(Language lang)
{
    return pick({"Base mode is ready by default. The enhancements below are off by default and can be enabled if you "
                 "want.",
                 "基础模式默认可用。下面这些增强功能默认关闭，你可以按需开启。"},
                lang);
}

std::string Strings::firstRunAiTitle(Language lang)
{
    return pick({"AI IDE Sensing (Beta)", "AI IDE 智能感知（Beta）"}, lang);
}

std::string Strings::firstRunAiDescription(Language lang)
{
    return pick({"Detect typing, waiting, and switching states in Cursor / Codex / Terminal. Requires Accessibility.",
                 "识别你是否在 Cursor / Codex / 终端里输入、等待或切换。需要辅助功能权限。"},
                lang);
}

std::string Strings::firstRunScreenTitle(Language lang)
{
    return pick({"Screen Intelligence (Beta)", "屏幕理解（Beta）"}, lang);
}

std::string Strings::firstRunScreenDescription(Language lang)
{
    return pick({"Reserve the path for future high-level semantic state detection. Requires Screen Recording.",
                 "为未来的更高语义状态识别预留入口。需要录屏权限。"},
                lang);
}

std::string Strings::firstRunKnockTitle(Language lang)
{
    return pick({"Knock Interaction (Experimental)", "敲击互动（实验）"}, lang);
}

std::string Strings::firstRunKnockDescription(Language lang)
{
    return pick({"Trigger character feedback by tapping the laptop body. Experimental and optional.",
                 "敲击机身触发角色反馈。实验功能，可随时关闭。"},
                lang);
}

std::string Strings::firstRunNotesHeading(Language lang)
{
    return pick({"Notes", "说明"}, lang);
}

std::string Strings::firstRunNotes(Language lang)
{
    return pick({"1. Core features do not depend on these enhancements.\n"
                 "2. You can reopen this setup later from the menu.\n"
                 "3. Disabling enhancements immediately falls back to base mode.",
                 "1. 基础功能不依赖这些增强项。\n"
                 "2. 你后续可在菜单里重新打开本配置页。\n"
                 "3. 关闭增强项后会立即回到基础模式。"},
                lang);
}

std::string Strings::firstRunSkip(Language lang)
{
    return pick({"Skip for Now", "稍后再说"}, lang);
}

std::string Strings::firstRunContinue(Language lang)
{
    return pick({"Continue", "开始使用"}, lang);
}

} // namespace plovane
