#include "packs/PackImportTexts.h"

#include "settings/Strings.h"

namespace plovane::PackImportTexts {
namespace {

std::string refusal(PackVerdict verdict, Language lang)
{
    switch (verdict) {
    case PackVerdict::pathOutside:
        return Strings::packRefusedPathOutside(lang);
    case PackVerdict::linkOrSpecialFile:
        return Strings::packRefusedLinkOrSpecialFile(lang);
    case PackVerdict::tooLarge:
        return Strings::packRefusedTooLarge(lang);
    case PackVerdict::tooManyEntries:
        return Strings::packRefusedTooManyEntries(lang);
    case PackVerdict::spriteNotPng:
        return Strings::packRefusedSpriteNotPng(lang);
    case PackVerdict::spriteTooLarge:
        return Strings::packRefusedSpriteTooLarge(lang);
    case PackVerdict::unreadable:
    case PackVerdict::ok:
        break;
    }
    return Strings::packUnzipFailed(lang);
}

std::string failure(const PackImportOutcome& outcome, Language lang)
{
    const std::string reason = outcome.error.message();
    // The path is quoted in every step but starting the unzip tool, which names a program.
    const auto quoted = [&](const std::string& start) {
        return start + outcome.path + Strings::packQuotedReasonSeparator(lang) + reason;
    };
    switch (outcome.failedStep) {
    case PackImportOutcome::Step::createTemporaryFolder:
        return quoted(Strings::packCreateFolderFailed(lang));
    case PackImportOutcome::Step::startUnzip:
        return Strings::packStartUnzipFailed(lang) + outcome.path + Strings::packReasonSeparator(lang) + reason;
    case PackImportOutcome::Step::listTemporaryFolder:
        return quoted(Strings::packReadFolderFailed(lang));
    case PackImportOutcome::Step::copyPack:
        return quoted(Strings::packCopyFailed(lang));
    }
    return reason;
}

} // namespace

std::string chooserTitle(Language lang)
{
    return Strings::packChooserTitle(lang);
}

std::string alertTitle(bool success, Language lang)
{
    return Strings::packAlertTitle(success, lang);
}

std::string message(const PackImportOutcome& outcome, Language lang)
{
    using Kind = PackImportOutcome::Kind;
    switch (outcome.kind) {
    case Kind::installed:
        return Strings::packInstalledStart(lang) + outcome.displayName + Strings::packInstalledEnd(lang);
    case Kind::unzipFailed:
        return Strings::packUnzipFailed(lang);
    case Kind::missingManifest:
        return Strings::packMissingManifest(lang);
    case Kind::missingSprites: {
        std::string text = Strings::packMissingSprites(lang);
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
