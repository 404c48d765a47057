// Texts of the alerts about what the user must act on: a settings folder the program
// cannot use at start, a save that fails while it runs or at quit, a settings file it
// could not read, a copy already running elsewhere.

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

std::string Strings::problemCause(FileProblem::Cause cause, const std::string& detail, Language lang)
{
    using Cause = FileProblem::Cause;
    switch (cause) {
    case Cause::none:
        return {};
    case Cause::permission:
        return pick({"Permission denied", "没有权限"}, lang);
    case Cause::readOnly:
        return pick({"The disk is mounted read-only", "磁盘以只读方式挂载"}, lang);
    case Cause::noSpace:
        return pick({"No space left on the disk", "磁盘空间已满"}, lang);
    case Cause::fileForFolder:
        return pick({"A file is where this folder should be", "该文件夹的位置上是一个文件"}, lang);
    case Cause::notRegularFile:
        return pick({"It is not a regular file", "它不是普通文件"}, lang);
    case Cause::link:
        return pick({"It is a symbolic link that Plovane does not follow", "它是 Plovane 不会跟随的符号链接"}, lang);
    case Cause::notJson:
        return pick({"It is not valid JSON", "它不是有效的 JSON"}, lang);
    case Cause::wrongShape:
        return pick({"It holds no settings", "它不包含设置"}, lang);
    case Cause::tooLarge:
        return pick({"It is too large, or nested too deeply", "它太大，或嵌套层级太深"}, lang);
    case Cause::other:
        break;
    }
    return pick({"System error: ", "系统错误："}, lang) + detail;
}

std::string Strings::problemFix(FileProblem::Cause cause, Language lang)
{
    using Cause = FileProblem::Cause;
    switch (cause) {
    case Cause::permission:
        return pick({"Make sure you may read and write what is named above (check its owner and permissions).",
                     "请确认你可以读写上面列出的文件或文件夹（检查它的所有者和权限）。"},
                    lang);
    case Cause::readOnly:
        return pick({"Mount the disk writable again, or ask whoever looks after this computer.",
                     "请将磁盘重新以可写方式挂载，或联系这台电脑的管理员。"},
                    lang);
    case Cause::noSpace:
        return pick({"Free some space on the disk.", "请释放一些磁盘空间。"}, lang);
    case Cause::fileForFolder:
        return pick({"Move or rename that file, so that the folder can be made.",
                     "请移走该文件或为它改名，以便创建这个文件夹。"},
                    lang);
    case Cause::notRegularFile:
        return pick({"Move away what is there, so that the file can be written.",
                     "请移走该位置上的内容，以便写入这个文件。"},
                    lang);
    case Cause::link:
        return pick({"Replace the link with the file itself, or make it lead to a file of your own.",
                     "请用文件本身替换该链接，或让它指向你自己的文件。"},
                    lang);
    case Cause::notJson:
    case Cause::wrongShape:
    case Cause::tooLarge:
        return pick({"Repair the file or move it away.", "请修复该文件，或将它移走。"}, lang);
    case Cause::none:
    case Cause::other:
        break;
    }
    return pick({"Make sure you can write to the folder named above, and that its disk works.",
                 "请确认你可以写入上面列出的文件夹，并且它所在的磁盘工作正常。"},
                lang);
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

std::string Strings::problemCannotStartFileMessage(Language lang)
{
    return pick({"Plovane could not use one of its files, so it did not start.",
                 "Plovane 无法使用它的一个文件，因此没有启动。"},
                lang);
}

std::string Strings::problemCannotStartKept(Language lang)
{
    return pick({"Nothing was changed: your settings and daily statistics stay in that folder as they were.",
                 "没有做任何更改：你的设置和每日统计仍原样保存在该文件夹中。"},
                lang);
}

std::string Strings::problemCannotStartNothingKept(Language lang)
{
    return pick({"Nothing was changed, and there are no saved settings yet.", "没有做任何更改，目前也还没有保存过的设置。"},
                lang);
}

std::string Strings::problemCannotStartAdvice(Language lang)
{
    return pick({"Then start Plovane again.", "然后重新启动 Plovane。"}, lang);
}

std::string Strings::problemSavingKept(Language lang)
{
    return pick({"Plovane keeps what could not be saved and tries again by itself; once it can, everything is saved.",
                 "Plovane 会保留未能保存的内容并自动重试；一旦可以写入，所有内容都会被保存。"},
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
    return pick({"Then choose Try Again. Quit Anyway leaves out what could not be saved.",
                 "然后选择“重试”。选择“仍然退出”将丢失未能保存的内容。"},
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

std::string Strings::problemAlreadyRunningTitle(Language lang)
{
    return pick({"Plovane Is Already Running", "Plovane 已在运行"}, lang);
}

std::string Strings::problemAlreadyRunningMessage(Language lang)
{
    return pick({"Plovane already runs with the same settings in another session of this computer, so this copy did "
                 "not start.",
                 "Plovane 已在这台电脑的另一个会话中使用相同的设置运行，因此这个副本没有启动。"},
                lang);
}

std::string Strings::problemAlreadyRunningDisplay(Language lang)
{
    return pick({"Display: ", "显示器："}, lang);
}

std::string Strings::problemAlreadyRunningProcess(Language lang)
{
    return pick({"Process: ", "进程："}, lang);
}

std::string Strings::problemAlreadyRunningAdvice(Language lang)
{
    return pick({"To use Plovane here, quit it there first, then start it again here.",
                 "若要在这里使用 Plovane，请先在那里退出它，然后在这里重新启动。"},
                lang);
}

} // namespace plovane
