#include "settings/CustomCharacter.h"

#include "settings/AppResource.h"
#include "settings/SpriteNames.h"

#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace plovane {
namespace {

// A manifest holds one short name. Anything far larger is not a manifest, and reading it
// would stall every menu that lists the characters.
constexpr std::uintmax_t kMaxManifestBytes = 64 * 1024;

// The manifest's "name" when the file is a JSON object with a string there; else nothing.
std::optional<std::string> manifestName(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxManifestBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    const auto json = nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object())
        return std::nullopt;
    const auto name = json.find("name");
    if (name == json.end() || !name->is_string())
        return std::nullopt;
    return name->get<std::string>();
}

char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Orders names as a person scans a list for one: letters regardless of case, and a run of
// digits by its value, so "pack 2" comes before "Pack 10". Other characters (Chinese, say)
// go by their code points, which is what UTF-8 bytes compare as.
int compareAsPerson(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::size_t startA = i;
            const std::size_t startB = j;
            while (i < a.size() && isDigit(a[i]))
                ++i;
            while (j < b.size() && isDigit(b[j]))
                ++j;
            // Leading zeros do not change a number's value.
            std::string_view x = a.substr(startA, i - startA);
            std::string_view y = b.substr(startB, j - startB);
            x.remove_prefix(std::min(x.find_first_not_of('0'), x.size()));
            y.remove_prefix(std::min(y.find_first_not_of('0'), y.size()));
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int c = x.compare(y); c != 0)
                return c;
            continue;
        }
        const auto x = static_cast<unsigned char>(folded(a[i++]));
        const auto y = static_cast<unsigned char>(folded(b[j++]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

// Names that read the same ("Rex" and "rex", "Pack 07" and "Pack 7") still come in one
// order, opening after opening: by their exact text, then by folder.
bool listedBefore(const CustomCharacter& a, const CustomCharacter& b)
{
    if (const int c = compareAsPerson(a.displayName(), b.displayName()); c != 0)
        return c < 0;
    if (const int c = a.displayName().compare(b.displayName()); c != 0)
        return c < 0;
    return a.dirName() < b.dirName();
}

// A file as it stands: another file in its place, or one written or changed since, has
// another stamp. A folder's times change as entries come and go in it.
struct FileStamp {
    dev_t device{};
    ino_t inode{};
    off_t size{};
    std::int64_t modified{};
    std::int64_t changed{};

    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> fileStamp(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    auto ns = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; };
    return FileStamp{st.st_dev, st.st_ino, st.st_size, ns(st.st_mtim), ns(st.st_ctim)};
}

// A pack folder as last read. Menus list the packs each time they open, and a thousand
// manifests read and parsed again would cost tens of milliseconds: an unchanged folder
// with an unchanged manifest is taken as it was.
struct ReadPack {
    FileStamp folder;
    FileStamp manifest;
    CustomCharacter character;
    bool valid{false};
};
std::mutex readPacksMutex;
std::unordered_map<std::string, ReadPack> readPacks;

} // namespace

bool CustomCharacter::isValid() const
{
    std::error_code ec;
    for (const auto state : kRequiredSpriteStates)
        if (!std::filesystem::exists(absoluteSpritePath(std::string(state)), ec))
            return false;
    return true;
}

std::string CustomCharacter::absoluteSpritePath(const std::string& state) const
{
    return AppResource::customSpritesBase() + "/" + dirName_ + "/" + stillSpriteFileName(state);
}

std::vector<CustomCharacter> CustomCharacter::loadAll()
{
    const std::string base = AppResource::customSpritesBase();
    std::vector<CustomCharacter> characters;
    std::lock_guard lock(readPacksMutex);
    std::unordered_map<std::string, ReadPack> seen;
    for (auto& dir : AppResource::customCharacterDirs()) {
        const std::string folder = base + "/" + dir;
        // Taken before the folder is read: what changes meanwhile is read next time.
        const auto folderStamp = fileStamp(folder);
        const auto manifestStamp = fileStamp(folder + "/manifest.json");
        if (const auto known = readPacks.find(folder); known != readPacks.end() && folderStamp && manifestStamp &&
                                                         known->second.folder == *folderStamp &&
                                                         known->second.manifest == *manifestStamp) {
            if (known->second.valid)
                characters.push_back(known->second.character);
            seen.insert(readPacks.extract(known));
            continue;
        }
        auto name = manifestName(folder + "/manifest.json");
        CustomCharacter character(dir, name ? std::move(*name) : dir);
        const bool valid = character.isValid();
        if (folderStamp && manifestStamp)
            seen.emplace(folder, ReadPack{*folderStamp, *manifestStamp, character, valid});
        if (valid)
            characters.push_back(std::move(character));
    }
    readPacks = std::move(seen);
    std::sort(characters.begin(), characters.end(), listedBefore);
    return characters;
}

} // namespace plovane
