#include "packs/PackArchiveInspector.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace plovane {
namespace {

bool isPlainType(std::uint32_t mode)
{
    const std::uint32_t type = mode & S_IFMT;
    // No type at all is what archives from systems without Unix modes declare.
    return type == 0 || type == S_IFREG || type == S_IFDIR;
}

// The entry's path as the tool lays it out: empty and "." components dropped.
std::vector<std::string_view> components(std::string_view name)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        const auto part = name.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

void openUpFolder(const std::string& path)
{
    ::fchmodat(AT_FDCWD, path.c_str(), S_IRWXU, AT_SYMLINK_NOFOLLOW);
}

void openUpFile(const std::string& path)
{
    ::fchmodat(AT_FDCWD, path.c_str(), S_IRUSR | S_IWUSR, AT_SYMLINK_NOFOLLOW);
}

} // namespace

bool isContainedEntryName(const std::string& name)
{
    if (name.empty() || name.find('\0') != std::string::npos)
        return false;
    if (name.front() == '/' || name.front() == '\\')
        return false;
    // Backslashes count as separators too: the tool turns them into folders for archives
    // made on other systems.
    for (auto part : components(name))
        if (part == "..")
            return false;
    return true;
}

PackVerdict inspectArchive(const ZipListing& listing, const PackLimits& limits)
{
    switch (listing.status) {
    case ZipListing::Status::ok:
        break;
    case ZipListing::Status::tooManyEntries:
        return PackVerdict::tooManyEntries;
    case ZipListing::Status::notZip:
    case ZipListing::Status::corrupt:
    case ZipListing::Status::unreadable:
        return PackVerdict::unreadable;
    }

    for (const auto& entry : listing.entries) {
        if (!isContainedEntryName(entry.name))
            return PackVerdict::pathOutside;
        if (!isPlainType(entry.unixMode()))
            return PackVerdict::linkOrSpecialFile;
    }

    std::uint64_t total = 0;
    for (const auto& entry : listing.entries) {
        total += std::min<std::uint64_t>(entry.uncompressedSize, limits.maxTotalBytes + 1);
        if (total > limits.maxTotalBytes)
            return PackVerdict::tooLarge;
    }

    // Count what lands on disk: every entry and every folder its path implies. Walking each
    // name from its longest prefix stops at the first one already known, so the work stays
    // proportional to what is new.
    std::unordered_set<std::string> paths;
    for (const auto& entry : listing.entries) {
        const auto parts = components(entry.name);
        for (std::size_t n = parts.size(); n > 0; --n) {
            std::string path;
            for (std::size_t i = 0; i < n; ++i) {
                if (i > 0)
                    path += '/';
                path.append(parts[i]);
            }
            if (!paths.insert(std::move(path)).second)
                break;
            if (paths.size() > limits.maxEntries)
                return PackVerdict::tooManyEntries;
        }
    }
    return PackVerdict::ok;
}

PackVerdict inspectArchiveFile(const std::string& path, const PackLimits& limits)
{
    return inspectArchive(ZipListing::read(path, limits.maxEntries), limits);
}

TreeSurvey surveyTree(const std::string& root, const PackLimits& limits, OpenUpFolders openUp)
{
    TreeSurvey survey;
    if (openUp == OpenUpFolders::yes)
        openUpFolder(root);
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) {
            survey.failed = true;
            survey.error = errno;
            return survey;
        }
        while (const dirent* item = ::readdir(dir)) {
            const std::string_view name = item->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "/" + std::string(name);
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0) {
                survey.failed = true;
                survey.error = errno;
                break;
            }
            ++survey.entries;
            if (S_ISDIR(st.st_mode)) {
                if (openUp == OpenUpFolders::yes)
                    openUpFolder(path);
                pending.push_back(path);
            } else if (S_ISREG(st.st_mode)) {
                if (openUp == OpenUpFolders::yes && (st.st_mode & S_IRUSR) == 0)
                    openUpFile(path);
                survey.bytes += static_cast<std::uint64_t>(st.st_size);
                survey.largestFile = std::max(survey.largestFile, static_cast<std::uint64_t>(st.st_size));
            } else {
                survey.hasLinkOrSpecialFile = true;
            }
            if (survey.hasLinkOrSpecialFile || survey.entries > limits.maxEntries ||
                survey.bytes > limits.maxTotalBytes)
                break;
        }
        ::closedir(dir);
        if (survey.failed || survey.hasLinkOrSpecialFile || survey.entries > limits.maxEntries ||
            survey.bytes > limits.maxTotalBytes)
            return survey;
    }
    return survey;
}

PackVerdict inspectUnpackedTree(const TreeSurvey& survey, const PackLimits& limits)
{
    if (survey.hasLinkOrSpecialFile)
        return PackVerdict::linkOrSpecialFile;
    if (survey.bytes > limits.maxTotalBytes)
        return PackVerdict::tooLarge;
    if (survey.entries > limits.maxEntries)
        return PackVerdict::tooManyEntries;
    return PackVerdict::ok;
}

void removeTree(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::remove_all(path, ec) != static_cast<std::uintmax_t>(-1) && !ec)
        return;
    // Folders the archive left without permissions for us: open them up and try again.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    std::vector<std::string> pending{path};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        openUpFolder(folder);
        DIR* dir = ::opendir(folder.c_str());
        if (!dir)
            continue;
        while (const dirent* item = ::readdir(dir)) {
            const std::string_view name = item->d_name;
            const std::string child = folder + "/" + std::string(name);
            if (name != "." && name != ".." && ::lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                pending.push_back(child);
        }
        ::closedir(dir);
    }
    std::filesystem::remove_all(path, ec);
}

} // namespace plovane
