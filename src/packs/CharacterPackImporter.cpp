#include "packs/CharacterPackImporter.h"

#include "packs/PackInstaller.h"
#include "packs/PackSprites.h"
#include "settings/SpriteNames.h"

#include <nlohmann/json.hpp>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

namespace plovane {
namespace {

// A manifest holds a short name; anything far larger is not worth parsing.
constexpr std::uintmax_t kMaxManifestBytes = 64 * 1024;

bool pathExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

PackImportOutcome outcomeOf(PackImportOutcome::Kind kind)
{
    PackImportOutcome outcome;
    outcome.kind = kind;
    return outcome;
}

PackImportOutcome refused(PackVerdict verdict)
{
    auto outcome = outcomeOf(PackImportOutcome::Kind::refused);
    outcome.refusal = verdict;
    return outcome;
}

PackImportOutcome failed(PackImportOutcome::Step step, std::string path, std::error_code error)
{
    auto outcome = outcomeOf(PackImportOutcome::Kind::failed);
    outcome.failedStep = step;
    outcome.path = std::move(path);
    outcome.error = error;
    return outcome;
}

// Removes the temporary folder whichever way the import ends.
struct TemporaryFolder {
    std::string path;
    ~TemporaryFolder() { removeTree(path); }
};

// The first top-level entry, in listing order, that directly holds a "manifest.json".
std::optional<std::string> findPackFolder(const std::string& root, std::error_code& error)
{
    DIR* dir = ::opendir(root.c_str());
    if (!dir) {
        error = {errno, std::generic_category()};
        return std::nullopt;
    }
    std::optional<std::string> found;
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        if (pathExists(root + "/" + name + "/manifest.json")) {
            found = name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

std::string packDisplayName(const std::string& manifestPath, const std::string& fallback)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(manifestPath, ec);
    if (ec || size > kMaxManifestBytes)
        return fallback;
    std::ifstream in(manifestPath, std::ios::binary);
    if (!in)
        return fallback;
    const auto json = nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object())
        return fallback;
    const auto name = json.find("name");
    if (name == json.end() || !name->is_string())
        return fallback;
    return name->get<std::string>();
}

PackImportOutcome importCharacterPackArchive(const std::string& archive, const PackImportSettings& settings,
                                             std::stop_token stop)
{
    using Kind = PackImportOutcome::Kind;
    using Step = PackImportOutcome::Step;
    const PackLimits& limits = settings.unzip.limits;

    // A fresh folder of our own: made exclusively and readable by us alone, so nothing
    // prepared in a shared temporary directory can stand in for it.
    std::error_code ec;
    std::filesystem::create_directories(settings.temporaryBase, ec);
    const std::string temporary = settings.temporaryBase + "/qn_import_" + newUuidString();
    if (::mkdir(temporary.c_str(), 0700) != 0)
        return failed(Step::createTemporaryFolder, temporary, {errno, std::generic_category()});
    TemporaryFolder cleanup{temporary};

    // Judge the archive by its own listing before anything of it reaches the disk.
    const ZipListing listing = ZipListing::read(archive, limits.maxEntries);
    const PackVerdict listed = inspectArchive(listing, limits);
    if (listed == PackVerdict::unreadable)
        return outcomeOf(Kind::unzipFailed);
    if (listed != PackVerdict::ok)
        return refused(listed);

    UnzipOptions unzipOptions = settings.unzip;
    std::uint64_t largest = 0;
    for (const auto& entry : listing.entries)
        largest = std::max(largest, entry.uncompressedSize);
    unzipOptions.maxFileBytes = std::max<std::uint64_t>(largest, 1);
    const UnzipResult unzip = runUnzip(archive, temporary, unzipOptions, stop);
    switch (unzip.outcome) {
    case UnzipResult::Outcome::exited:
        if (unzip.exitStatus != 0)
            return outcomeOf(Kind::unzipFailed);
        break;
    case UnzipResult::Outcome::failedToStart:
        return failed(Step::startUnzip, settings.unzip.program, {unzip.startError, std::generic_category()});
    case UnzipResult::Outcome::timedOut:
        return outcomeOf(Kind::unzipFailed);
    case UnzipResult::Outcome::grewPastLimits:
        return refused(unzip.verdict);
    case UnzipResult::Outcome::cancelled:
        return outcomeOf(Kind::cancelled);
    }

    // The listing may have lied, or the file changed since: check what is really there.
    const TreeSurvey survey = surveyTree(temporary, limits, OpenUpFolders::yes);
    if (survey.failed)
        return failed(Step::listTemporaryFolder, temporary, {survey.error, std::generic_category()});
    if (const auto verdict = inspectUnpackedTree(survey, limits); verdict != PackVerdict::ok)
        return refused(verdict);

    std::error_code listError;
    const auto packFolder = findPackFolder(temporary, listError);
    if (listError)
        return failed(Step::listTemporaryFolder, temporary, listError);
    if (!packFolder)
        return outcomeOf(Kind::missingManifest);

    const std::string source = temporary + "/" + *packFolder;
    PackImportOutcome missing = outcomeOf(Kind::missingSprites);
    for (const auto state : kRequiredSpriteStates)
        if (!pathExists(source + "/" + stillSpriteFileName(state)))
            missing.missingKeys.emplace_back(state);
    if (!missing.missingKeys.empty())
        return missing;
    // A sprite too large to draw, or one that does not decode, would leave the pet a
    // placeholder after a "success".
    std::error_code spriteError;
    if (const auto verdict = inspectPackSprites(source, limits, spriteError, settings.spriteDecodes);
        verdict != PackVerdict::ok)
        return verdict == PackVerdict::unreadable ? failed(Step::listTemporaryFolder, source, spriteError)
                                                  : refused(verdict);

    if (stop.stop_requested())
        return outcomeOf(Kind::cancelled);
    if (auto error = installPackFolder(source, settings.packsFolder, *packFolder))
        return failed(Step::copyPack, error.path, error.code);

    auto outcome = outcomeOf(Kind::installed);
    outcome.folderName = *packFolder;
    outcome.displayName = packDisplayName(settings.packsFolder + "/" + *packFolder + "/manifest.json", *packFolder);
    return outcome;
}

} // namespace plovane
