#include "app/PackImportTexts.h"

namespace plovane::PackImportTexts {
namespace {

std::string pick(Language lang, const char* zh, const char* en) { return lang == Language::zh ? zh : en; }

std::string refusal(PackVerdict verdict, Language lang)
{
    switch (verdict) {
    case PackVerdict::pathOutside:
        return pick(lang, "无效的员工包：含有指向包外的路径", "Invalid pack: it holds paths that lead outside the pack");
    case PackVerdict::linkOrSpecialFile:
        return pick(lang, "无效的员工包：含有链接或特殊文件", "Invalid pack: it holds links or special files");
    case PackVerdict::tooLarge:
        return pick(lang, "无效的员工包：解压后超过 64 MB", "Invalid pack: larger than 64 MB when unpacked");
    case PackVerdict::tooManyEntries:
        return pick(lang, "无效的员工包：文件超过 2000 个", "Invalid pack: more than 2000 files");
    case PackVerdict::unreadable:
    case PackVerdict::ok:
        break;
    }
    return "Failed to unzip file";
}

std::string failure(const PackImportOutcome& outcome, Language lang)
{
    const std::string reason = outcome.error.message();
    switch (outcome.failedStep) {
    case PackImportOutcome::Step::createTemporaryFolder:
        return pick(lang, "无法创建临时文件夹“", "Could not create the temporary folder “") + outcome.path +
               pick(lang, "”：", "”: ") + reason;
    case PackImportOutcome::Step::startUnzip:
        return pick(lang, "无法运行 ", "Could not run ") + outcome.path + pick(lang, "：", ": ") + reason;
    case PackImportOutcome::Step::listTemporaryFolder:
        return pick(lang, "无法读取临时文件夹“", "Could not read the temporary folder “") + outcome.path +
               pick(lang, "”：", "”: ") + reason;
    case PackImportOutcome::Step::copyPack:
        return pick(lang, "无法将员工包复制到“", "Could not copy the pack to “") + outcome.path +
               pick(lang, "”：", "”: ") + reason;
    }
    return reason;
}

} // namespace

std::string chooserTitle(Language lang)
{
    return pick(lang, "选择员工包 (.zip)", "Select Character Pack (.zip)");
}

std::string alertTitle(bool success, Language lang)
{
    return success ? pick(lang, "导入成功", "Import Successful") : pick(lang, "导入失败", "Import Failed");
}

std::string message(const PackImportOutcome& outcome, Language lang)
{
    using Kind = PackImportOutcome::Kind;
    switch (outcome.kind) {
    case Kind::installed:
        if (lang == Language::zh)
            return "员工「" + outcome.displayName + "」导入成功！";
        return "Character \"" + outcome.displayName + "\" imported successfully!";
    case Kind::unzipFailed:
        return "Failed to unzip file";
    case Kind::missingManifest:
        return pick(lang, "无效的员工包：缺少 manifest.json", "Invalid pack: missing manifest.json");
    case Kind::missingSprites: {
        std::string text = pick(lang, "缺少必需的图片：", "Missing required sprites: ");
        for (std::size_t i = 0; i < outcome.missingKeys.size(); ++i)
            text += (i ? ", " : "") + outcome.missingKeys[i];
        return text;
    }
    case Kind::refused:
        return refusal(outcome.refusal, lang);
    case Kind::failed:
        return failure(outcome, lang);
    case Kind::cancelled:
        break;
    }
    return {};
}

} // namespace plovane::PackImportTexts
