#include "packs/PackImportTexts.h"

#include "platform/FileProblem.h"
#include "settings/Strings.h"

#include <system_error>

namespace plovane::PackImportTexts {
namespace {

// The code point of the UTF-8 sequence at `at`, and where the next one starts.
char32_t decodeAt(std::string_view text, std::size_t& at)
{
    const auto byte = static_cast<unsigned char>(text[at++]);
    int more = byte >= 0xf0 ? 3 : byte >= 0xe0 ? 2 : byte >= 0xc0 ? 1 : 0;
    char32_t cp = more == 3 ? byte & 0x07 : more == 2 ? byte & 0x0f : more == 1 ? byte & 0x1f : byte;
    while (more-- > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xc0) == 0x80)
        cp = (cp << 6) | (static_cast<unsigned char>(text[at++]) & 0x3f);
    return cp;
}

// Marks that belong to the character before them: a cut never separates them from it.
bool extendsPrevious(char32_t cp)
{
    return (cp >= 0x0300 && cp <= 0x036f) || (cp >= 0x1ab0 && cp <= 0x1aff) || (cp >= 0x1dc0 && cp <= 0x1dff) ||
           (cp >= 0x20d0 && cp <= 0x20ff) || (cp >= 0xfe00 && cp <= 0xfe0f) || (cp >= 0xfe20 && cp <= 0xfe2f) ||
           cp == 0x200c || cp == 0x200d || (cp >= 0x1f3fb && cp <= 0x1f3ff) || (cp >= 0xe0020 && cp <= 0xe01ef);
}

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
    case PackVerdict::spriteDoesNotDecode:
        return Strings::packRefusedSpriteDoesNotDecode(lang);
    case PackVerdict::unreadable:
    case PackVerdict::ok:
        break;
    }
    return Strings::packUnzipFailed(lang);
}

// The system's reason in the alert's language where we have words for it (permission, a
// read-only or full disk, ...); any other error in the system's own words.
std::string reasonFor(const std::error_code& error, Language lang)
{
    if (error.category() != std::generic_category() && error.category() != std::system_category())
        return error.message();
    const FileProblem problem = FileProblem::fromError({}, error.value());
    if (problem.cause == FileProblem::Cause::other)
        return error.message();
    return Strings::problemCause(problem.cause, problem.detail, lang);
}

std::string failure(const PackImportOutcome& outcome, Language lang)
{
    const std::string reason = reasonFor(outcome.error, lang);
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

std::string isolatedName(std::string_view name, std::size_t maxCharacters)
{
    constexpr std::string_view kFirstStrongIsolate = "\u2068";
    constexpr std::string_view kPopDirectionalIsolate = "\u2069";
    constexpr std::string_view kEllipsis = "\u2026";
    std::size_t at = 0;
    std::size_t count = 0;
    std::size_t cut = std::string_view::npos;
    while (at < name.size()) {
        const std::size_t start = at;
        const char32_t cp = decodeAt(name, at);
        if (extendsPrevious(cp))
            continue;
        if (++count > maxCharacters) {
            cut = start;
            break;
        }
    }
    std::string out(kFirstStrongIsolate);
    out += cut == std::string_view::npos ? name : name.substr(0, cut);
    if (cut != std::string_view::npos)
        out += kEllipsis;
    out += kPopDirectionalIsolate;
    return out;
}

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
        return Strings::packInstalledStart(lang) + isolatedName(outcome.displayName) + Strings::packInstalledEnd(lang);
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
