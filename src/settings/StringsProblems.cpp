// Texts of the alerts about what the user must act on: a settings folder the program
// cannot use at start, what could not be saved at quit, a settings file it could not read.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::pick;

std::string Strings::problemFolderLabel(Language lang)
{
    return pick({"Folder: ", "文件夹："}, lang);
}

std::string Strings::problemFileLabel(Language lang)
{
    return pick({"File: ", "文件："}, lang);
}

std::string Strings::problemReasonLabel(Language lang)
{
    return pick({"Reason: ", "原因："}, lang);
}

std::string Strings::problemOK(Language lang)
{
    return pick({"OK", "确定"}, lang);
}

std::string Strings::problemCannotStartTitle(Language lang)
{
    return pick({"Plovane Cannot Start", "Plovane 无法启动"}, lang);
}

std::string Strings::problemCannotStartMessage(Language lang)
{
    return pick({"Plovane could not use its settings folder, so it did not start.",
                 "Plovane 无法使用它的设置文件夹，因此没有启动。"},
                lang);
}

std::string Strings::problemCannotStartKept(Language lang)
{
    return pick({"Nothing was changed: your settings and daily statistics stay in that folder as they were.",
                 "没有做任何更改：你的设置和每日统计仍原样保存在该文件夹中。"},
                lang);
}

std::string Strings::problemCannotStartAdvice(Language lang)
{
    return pick({"Make sure you can write to this folder (check its owner and permissions, and whether the disk is "
                 "mounted read-only), then start Plovane again.",
                 "请确认你可以写入该文件夹（检查它的所有者和权限，以及磁盘是否以只读方式挂载），然后重新启动 Plovane。"},
                lang);
}

std::string Strings::problemNotSavedTitle(Language lang)
{
    return pick({"Plovane Could Not Save", "Plovane 无法保存"}, lang);
}

std::string Strings::problemNotSavedMessage(bool settings, bool statistics, Language lang)
{
    if (settings && statistics)
        return pick({"Your latest settings and today's latest statistics could not be saved.",
                     "最近更改的设置和今天最新的统计数据都未能保存。"},
                    lang);
    if (settings)
        return pick({"Your latest settings could not be saved.", "最近更改的设置未能保存。"}, lang);
    return pick({"Today's latest statistics could not be saved.", "今天最新的统计数据未能保存。"}, lang);
}

std::string Strings::problemNotSavedKept(Language lang)
{
    return pick({"What was saved before stays as it was, in this folder:", "此前保存的内容仍原样保留在这个文件夹中："},
                lang);
}

std::string Strings::problemNotSavedAdvice(Language lang)
{
    return pick({"Free some space on the disk, or make the folder writable, then choose Try Again. Quit Anyway "
                 "leaves out what could not be saved.",
                 "请释放一些磁盘空间，或让该文件夹可以写入，然后选择“重试”。选择“仍然退出”将丢失未能保存的内容。"},
                lang);
}

std::string Strings::problemTryAgain(Language lang)
{
    return pick({"Try Again", "重试"}, lang);
}

std::string Strings::problemQuitAnyway(Language lang)
{
    return pick({"Quit Anyway", "仍然退出"}, lang);
}

std::string Strings::problemSettingsTitle(Language lang)
{
    return pick({"Settings Could Not Be Read", "无法读取设置"}, lang);
}

std::string Strings::problemSettingsMessage(Language lang)
{
    return pick({"Plovane could not read its settings file and started with the default settings.",
                 "Plovane 无法读取设置文件，已使用默认设置启动。"},
                lang);
}

std::string Strings::problemSettingsKeptAs(Language lang)
{
    return pick({"The original file is kept as: ", "原来的文件已改名保留为："}, lang);
}

std::string Strings::problemSettingsKeptAdvice(Language lang)
{
    return pick({"Choose your settings again from the menu. To go back to the old ones, quit Plovane, repair the kept "
                 "file and rename it to defaults.json.",
                 "你可以在菜单中重新设置。若要恢复原来的设置，请退出 Plovane，修复保留的文件，再将它改名为 "
                 "defaults.json。"},
                lang);
}

std::string Strings::problemSettingsLeftAlone(Language lang)
{
    return pick({"The file is left as it is and is not written over, so settings you change now are not saved.",
                 "该文件保持原样，不会被覆盖，因此现在更改的设置不会被保存。"},
                lang);
}

std::string Strings::problemSettingsLeftAloneAdvice(Language lang)
{
    return pick({"Make sure you can read the file (check its owner and permissions), then start Plovane again.",
                 "请确认你可以读取该文件（检查它的所有者和权限），然后重新启动 Plovane。"},
                lang);
}

} // namespace plovane
