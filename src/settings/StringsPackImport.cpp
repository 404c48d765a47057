// Texts of the character pack import: the file dialog and the result alert.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::pick;

std::string Strings::packChooserTitle(Language lang)
{
    return pick({"Select Character Pack (.zip)", "选择员工包 (.zip)"}, lang);
}

std::string Strings::packChooserFilter(Language lang)
{
    return pick({"ZIP archive (*.zip)", "ZIP 压缩包 (*.zip)"}, lang);
}

std::string Strings::packChooserNotZip(Language lang)
{
    return pick({"Only .zip archives can be imported", "只能导入 .zip 格式的员工包"}, lang);
}

std::string Strings::packAlertTitle(bool success, Language lang)
{
    return success ? pick({"Import Successful", "导入成功"}, lang) : pick({"Import Failed", "导入失败"}, lang);
}

std::string Strings::packAlertOK(Language lang)
{
    return pick({"OK", "OK"}, lang);
}

std::string Strings::packInstalledStart(Language lang)
{
    return pick({"Character \"", "员工「"}, lang);
}

std::string Strings::packInstalledEnd(Language lang)
{
    return pick({"\" imported successfully!", "」导入成功！"}, lang);
}

std::string Strings::packUnzipFailed(Language lang)
{
    return pick({"Failed to unzip file", "Failed to unzip file"}, lang);
}

std::string Strings::packMissingManifest(Language lang)
{
    return pick({"Invalid pack: missing manifest.json", "无效的员工包：缺少 manifest.json"}, lang);
}

std::string Strings::packMissingSprites(Language lang)
{
    return pick({"Missing required sprites: ", "缺少必需的图片："}, lang);
}

std::string Strings::packRefusedPathOutside(Language lang)
{
    return pick({"Invalid pack: it holds paths that lead outside the pack", "无效的员工包：含有指向包外的路径"}, lang);
}

std::string Strings::packRefusedLinkOrSpecialFile(Language lang)
{
    return pick({"Invalid pack: it holds links or special files", "无效的员工包：含有链接或特殊文件"}, lang);
}

std::string Strings::packRefusedTooLarge(Language lang)
{
    return pick({"Invalid pack: larger than 64 MB when unpacked", "无效的员工包：解压后超过 64 MB"}, lang);
}

std::string Strings::packRefusedTooManyEntries(Language lang)
{
    return pick({"Invalid pack: more than 2000 files", "无效的员工包：文件超过 2000 个"}, lang);
}

std::string Strings::packRefusedSpriteNotPng(Language lang)
{
    return pick({"Invalid pack: it holds sprites that are not PNG images", "无效的员工包：含有不是 PNG 格式的图片"}, lang);
}

std::string Strings::packRefusedSpriteTooLarge(Language lang)
{
    return pick({"Invalid pack: sprites larger than 512 × 512 pixels", "无效的员工包：图片超过 512 × 512 像素"}, lang);
}

std::string Strings::packRefusedSpriteDoesNotDecode(Language lang)
{
    return pick({"Invalid pack: it holds sprites that are damaged or cut off", "无效的员工包：含有不完整或无法读取的图片"}, lang);
}

std::string Strings::packCreateFolderFailed(Language lang)
{
    return pick({"Could not create the temporary folder “", "无法创建临时文件夹“"}, lang);
}

std::string Strings::packStartUnzipFailed(Language lang)
{
    return pick({"Could not run ", "无法运行 "}, lang);
}

std::string Strings::packReadFolderFailed(Language lang)
{
    return pick({"Could not read the temporary folder “", "无法读取临时文件夹“"}, lang);
}

std::string Strings::packCopyFailed(Language lang)
{
    return pick({"Could not copy the pack to “", "无法将员工包复制到“"}, lang);
}

std::string Strings::packQuotedReasonSeparator(Language lang)
{
    return pick({"”: ", "”："}, lang);
}

std::string Strings::packReasonSeparator(Language lang)
{
    return pick({": ", "："}, lang);
}

} // namespace plovane
