#include "platform/FileUserDefaults.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace plovane {
namespace {

bool isDaySuffix(const std::string& s)
{
    if (s.empty() || s.size() > 64)
        return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_'))
            return false;
    return true;
}

// A name beside `path` that does not exist yet: "<path>.corrupt-<unix time>[-n]".
std::string asideName(const std::string& path)
{
    auto t = std::chrono::duration_cast<std::chrono::seconds>(
                 std::chrono::system_clock::now().time_since_epoch())
                 .count();
    std::string base = path + ".corrupt-" + std::to_string(t);
    std::string candidate = base;
    std::error_code ec;
    // A dangling link of that name is a name in use too: never rename over it.
    for (int n = 1; std::filesystem::exists(std::filesystem::symlink_status(candidate, ec)); ++n)
        candidate = base + "-" + std::to_string(n);
    return candidate;
}

// Moves a stored file aside under a new name beside where it really is: for the user's
// own link, beside the file it leads to, so the link keeps its place. False, with the
// reason in `why`, when it could not be moved.
bool moveAside(const std::string& path, std::string& aside, FileProblem& why)
{
    std::string linkReason;
    const std::optional<std::string> location = storedFileLocation(path, linkReason);
    if (!location) {
        why = {path, FileProblem::Cause::link, linkReason};
        return false;
    }
    aside = asideName(*location);
    if (std::rename(location->c_str(), aside.c_str()) != 0) {
        why = FileProblem::fromError(*location, errno);
        return false;
    }
    return true;
}

// Removes what a write cut short left behind in `folder`: our own "<name>.tmp-XXXXXX"
// files, for `name` when one is given, else for any name ending in ".json". Only one
// copy of the program writes a settings folder, so none of them is being written now.
void removeLeftoverTempFiles(const std::string& folder, const std::string& name = {})
{
    constexpr std::string_view mark = ".tmp-";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        const auto at = file.rfind(mark);
        if (at == std::string::npos || file.size() != at + mark.size() + 6)
            continue;
        const std::string stem = file.substr(0, at);
        if (name.empty() ? !stem.ends_with(".json") : stem != name)
            continue;
        std::error_code statError;
        if (std::filesystem::is_regular_file(it->symlink_status(statError)))
            ::unlink(it->path().c_str());
    }
}

// Walks the text once without building anything (the parser keeps its own stack, not the
// call stack) and stops at the first value nested deeper than the bound.
class NestingCheck final : public nlohmann::json_sax<nlohmann::json> {
public:
    explicit NestingCheck(int maxDepth) : maxDepth_(maxDepth) {}
    bool tooDeep() const { return tooDeep_; }

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool key(string_t&) override { return true; }
    bool start_object(std::size_t) override { return enter(); }
    bool end_object() override { return leave(); }
    bool start_array(std::size_t) override { return enter(); }
    bool end_array() override { return leave(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    bool enter()
    {
        if (++depth_ > maxDepth_)
            tooDeep_ = true;
        return !tooDeep_;
    }
    bool leave()
    {
        --depth_;
        return true;
    }

    int maxDepth_;
    int depth_{0};
    bool tooDeep_{false};
};

// Why a file is not written: the old one stays, rather than one no copy would read back.
FileProblem tooLargeToReadBack(const std::string& path, std::size_t bound)
{
    return {path, FileProblem::Cause::tooLarge,
            "it would take more than " + std::to_string(bound) + " bytes, more than is read back"};
}

// Parses text that must be JSON nested no deeper than `maxDepth`; else says why not.
std::optional<UserDefaults::Value> parseBounded(const std::string& text, int maxDepth, FileProblem::Cause& cause,
                                                std::string& why)
{
    NestingCheck check(maxDepth);
    cause = FileProblem::Cause::notJson;
    if (!UserDefaults::Value::sax_parse(text, &check, nlohmann::json::input_format_t::json, /*strict=*/true,
                                        /*ignore_comments=*/false)) {
        if (check.tooDeep())
            cause = FileProblem::Cause::tooLarge;
        why = check.tooDeep() ? "it is nested more than " + std::to_string(maxDepth) + " levels deep"
                              : "it is not valid JSON";
        return std::nullopt;
    }
    UserDefaults::Value parsed = UserDefaults::Value::parse(text, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded()) {
        why = "it is not valid JSON";
        return std::nullopt;
    }
    return parsed;
}

// Writes `bytes` bytes to a new file beside `target` (named as a write of it names its
// temporary file, so a leftover goes at the next start), flushes them to the disk and
// removes the file: whether a save of that size can be made there now.
FileProblem probeWrite(const std::string& target, std::size_t bytes)
{
    std::string temp = target + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOSPC || error == EDQUOT)
            return FileProblem::fromError(target, error);
        return FileProblem::fromError(std::filesystem::path(target).parent_path().string(), error, true);
    }
    const std::string block(4096, ' ');
    int error = 0;
    for (std::size_t left = bytes; left > 0 && error == 0;) {
        const ssize_t n = ::write(fd, block.data(), std::min(left, block.size()));
        if (n < 0 && errno != EINTR)
            error = errno;
        else if (n > 0)
            left -= static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    ::unlink(temp.c_str());
    return error == 0 ? FileProblem{} : FileProblem::fromError(target, error);
}

} // namespace

FileUserDefaults::FileUserDefaults(std::string folder, Scheduler* coalesceOn, double coalesceSeconds)
    : folder_(std::move(folder)), scheduler_(coalesceOn), coalesceSeconds_(coalesceSeconds)
{
    removeLeftoverTempFiles(folder_);
    removeLeftoverTempFiles(folder_ + "/days");
    Value loaded;
    SettingsFileProblem problem;
    switch (loadMain(loaded, problem)) {
    case Load::value:
        main_ = std::move(loaded);
        break;
    case Load::absent:
        if (problem.problem)
            settingsProblem_ = std::move(problem);
        break;
    case Load::leftAlone:
        mainLeftAlone_ = true;
        settingsProblem_ = std::move(problem);
        break;
    }
}

FileUserDefaults::Load FileUserDefaults::loadMain(Value& out, SettingsFileProblem& problem) const
{
    const Load load = loadFile(mainFilePath(), kMaxMainFileBytes, out, &problem);
    if (load != Load::value || out.is_object())
        return load;
    // Valid JSON of the wrong shape is as unusable as broken JSON: keep it aside.
    out = Value::object();
    problem.problem = {mainFilePath(), FileProblem::Cause::wrongShape, "it is not a settings object"};
    FileProblem why;
    if (moveAside(mainFilePath(), problem.keptAs, why)) {
        logLine("Settings file " + mainFilePath() + " is not a settings object; moved it to " + problem.keptAs +
                " and started from defaults.");
        return Load::absent;
    }
    logLine("Settings file " + mainFilePath() + " is not a settings object and could not be moved aside (" +
            why.detail + "); running on defaults and leaving it as it is.");
    return Load::leftAlone;
}

FileUserDefaults::~FileUserDefaults()
{
    pendingFlush_.cancel();
    retry_.cancel();
    // The last try: nothing is scheduled again, on a scheduler that may be gone by now.
    scheduler_ = nullptr;
    flush();
}

std::optional<UserDefaults::Value> FileUserDefaults::peek(const std::string& folder, const std::string& key)
{
    const StoredFile file = readStoredFile(folder + "/defaults.json", kMaxMainFileBytes);
    FileProblem::Cause cause{};
    std::string why;
    if (file.status != StoredFileStatus::ok)
        return std::nullopt;
    const std::optional<Value> parsed = parseBounded(file.bytes, kMaxNesting, cause, why);
    if (!parsed || !parsed->is_object() || !parsed->contains(key))
        return std::nullopt;
    return parsed->at(key);
}

std::string FileUserDefaults::mainFilePath() const
{
    return folder_ + "/defaults.json";
}

std::string FileUserDefaults::dayFilePath(const std::string& key) const
{
    const std::string prefix = kDailyPrefix;
    if (key.compare(0, prefix.size(), prefix) != 0)
        return {};
    std::string suffix = key.substr(prefix.size());
    if (!isDaySuffix(suffix))
        return {};
    return folder_ + "/days/" + suffix + ".json";
}

FileUserDefaults::Load FileUserDefaults::loadFile(const std::string& path, std::size_t maxBytes, Value& out,
                                                  SettingsFileProblem* problem) const
{
    SettingsFileProblem ignored;
    if (!problem)
        problem = &ignored;
    StoredFile file = readStoredFile(path, maxBytes);
    FileProblem why = file.problem;
    if (file.location != path && !file.location.empty()) {
        // Followed to the user's own file: a write cut short leaves its temporary file there.
        const std::filesystem::path location(file.location);
        removeLeftoverTempFiles(location.parent_path().string(), location.filename().string());
    }
    switch (file.status) {
    case StoredFileStatus::ok:
        if (auto parsed = parseBounded(file.bytes, kMaxNesting, why.cause, why.detail)) {
            out = std::move(*parsed);
            return Load::value;
        }
        why.path = path;
        break;
    case StoredFileStatus::missing:
        return Load::absent;
    case StoredFileStatus::unreadable:
    case StoredFileStatus::link:
        // Not ours to judge: a file we may not read, or one that leads elsewhere. Writing
        // our defaults over it would destroy what it holds.
        logLine("Could not read " + path + " (" + why.detail + "); running on defaults and leaving it as it is.");
        problem->problem = why;
        return Load::leftAlone;
    case StoredFileStatus::notRegular:
    case StoredFileStatus::tooLarge:
        break;
    }
    problem->problem = why;
    FileProblem moveFailure;
    if (moveAside(path, problem->keptAs, moveFailure)) {
        logLine("Could not use " + path + " (" + why.detail + "); moved it to " + problem->keptAs +
                " and started from defaults.");
        return Load::absent;
    }
    logLine("Could not use " + path + " (" + why.detail + ") nor move it aside (" + moveFailure.detail +
            "); running on defaults and leaving it as it is.");
    problem->keptAs.clear();
    return Load::leftAlone;
}

const UserDefaults::Value& FileUserDefaults::day(const std::string& key) const
{
    auto it = days_.find(key);
    if (it == days_.end()) {
        Value loaded;
        SettingsFileProblem problem;
        if (loadFile(dayFilePath(key), kMaxDayFileBytes, loaded, &problem) == Load::leftAlone)
            daysLeftAlone_[key] = problem.problem;
        it = days_.emplace(key, std::move(loaded)).first;
    }
    return it->second;
}

void FileUserDefaults::keepOriginalAside(const std::string& key, const std::string& reason)
{
    const std::string path = dayFilePath(key);
    if (path.empty()) {
        UserDefaults::keepOriginalAside(key, reason);
        return;
    }
    std::string aside;
    FileProblem why;
    if (moveAside(path, aside, why)) {
        logLine(reason + "; moved the original " + path + " to " + aside + ".");
    } else {
        logLine(reason + "; could not move " + path + " aside (" + why.detail + "), so it is left as it is.");
        daysLeftAlone_[key] = why;
    }
}

std::optional<UserDefaults::Value> FileUserDefaults::object(const std::string& key) const
{
    std::string dayPath = dayFilePath(key);
    if (dayPath.empty()) {
        auto it = main_.find(key);
        if (it == main_.end())
            return std::nullopt;
        return *it;
    }
    const Value& stored = day(key);
    if (stored.is_null())
        return std::nullopt;
    return stored;
}

void FileUserDefaults::set(const std::string& key, Value value)
{
    if (value.is_null()) {
        remove(key);
        return;
    }
    if (dayFilePath(key).empty()) {
        main_[key] = std::move(value);
        mainDirty_ = true;
        if (mainLeftAlone_)
            mainKeysSet_.insert(key);
    } else {
        // Look at what is stored first: a file we may not replace must be known as such.
        day(key);
        days_[key] = std::move(value);
        dirtyDays_.insert(key);
    }
    scheduleFlush();
}

void FileUserDefaults::remove(const std::string& key)
{
    if (dayFilePath(key).empty()) {
        // Over a file left alone, a removal is kept for when it can be read.
        if (main_.erase(key) == 0 && !mainLeftAlone_)
            return;
        mainDirty_ = true;
        if (mainLeftAlone_)
            mainKeysSet_.insert(key);
    } else {
        day(key);
        days_[key] = Value();
        dirtyDays_.insert(key);
    }
    scheduleFlush();
}

void FileUserDefaults::scheduleFlush()
{
    if (!scheduler_) {
        flush();
        return;
    }
    if (pendingFlush_.isPending())
        return;
    pendingFlush_ = scheduler_->postAfter(coalesceSeconds_, [this] { flush(); });
}

bool FileUserDefaults::flush()
{
    pendingFlush_.cancel();
    retry_.cancel();
    if (!mainDirty_ && dirtyDays_.empty())
        return true;
    FileProblem folderFailure;
    const bool folderReady = makeDirectories(folder_, &folderFailure);
    // A part that was saving and now fails: told even while another part still fails.
    bool newFailure = false;
    if (mainDirty_ && mainLeftAlone_) {
        // Reported when it was found; its values stay in memory.
        settingsFailure_ = settingsProblem_ ? settingsProblem_->problem : FileProblem{};
    } else if (mainDirty_) {
        FileProblem failure = folderFailure;
        // Laid out for people to read, unless only the compact form stays within what is read back.
        std::string text = serialize(main_, 2) + "\n";
        if (text.size() > kMaxMainFileBytes)
            text = serialize(main_) + "\n";
        if (text.size() > kMaxMainFileBytes)
            failure = tooLargeToReadBack(mainFilePath(), kMaxMainFileBytes);
        else if (folderReady && AtomicFile::write(mainFilePath(), text, failure))
            mainDirty_ = false;
        newFailure |= noteSave(settingsFailing_, "the settings", !mainDirty_, failure);
        settingsFailure_ = mainDirty_ ? failure : FileProblem{};
    }
    bool daysTried = false, daysSaved = true;
    // The first failed write, else the first file left alone (reported when it was read).
    FileProblem writeFailure, leftAloneFailure;
    const bool daysReady = folderReady && (dirtyDays_.empty() || makeDirectories(folder_ + "/days", &folderFailure));
    for (auto it = dirtyDays_.begin(); it != dirtyDays_.end();) {
        if (const auto alone = daysLeftAlone_.find(*it); alone != daysLeftAlone_.end()) {
            if (!leftAloneFailure)
                leftAloneFailure = alone->second;
            ++it;
            continue;
        }
        daysTried = true;
        const std::string path = dayFilePath(*it);
        const Value& v = days_[*it];
        FileProblem failure = folderFailure;
        bool written = false;
        if (daysReady && v.is_null()) {
            written = ::unlink(path.c_str()) == 0 || errno == ENOENT;
            if (!written)
                failure = FileProblem::fromError(path, errno);
        } else if (daysReady) {
            const std::string text = serialize(v) + "\n";
            if (text.size() > kMaxRecordBytes)
                failure = tooLargeToReadBack(path, kMaxRecordBytes);
            else
                written = AtomicFile::write(path, text, failure);
        }
        if (written) {
            it = dirtyDays_.erase(it);
        } else {
            if (daysSaved)
                writeFailure = failure;
            daysSaved = false;
            ++it;
        }
    }
    if (daysTried)
        newFailure |= noteSave(daysFailing_, "the daily statistics", daysSaved, writeFailure);
    daysFailure_ = writeFailure ? writeFailure : leftAloneFailure;

    const bool failing = settingsFailing_ || daysFailing_;
    if (newFailure || failing != reportedFailing_) {
        reportedFailing_ = failing;
        savesFailing.emit(failing);
    }
    // A disk with room again, a folder made writable: the next try finds it, also when
    // nothing new is set meanwhile.
    if (failing && scheduler_)
        retry_ = scheduler_->postAfter(kRetrySeconds, [this] { flush(); });
    return !mainDirty_ && dirtyDays_.empty();
}

bool FileUserDefaults::noteSave(bool& failing, const std::string& what, bool saved, const FileProblem& failure)
{
    const bool startsFailing = !saved && !failing;
    if (saved && failing)
        logLine("Saved " + what + " again.");
    else if (startsFailing)
        logLine("Could not save " + what + " (" + failure.describe() +
                "); keeping them in memory until they can be written.");
    failing = !saved;
    return startsFailing;
}

FileProblem FileUserDefaults::problemBeforeSaving(const std::string& dayKey)
{
    FileProblem problem;
    if (!makeDirectories(folder_, &problem))
        return problem;
    const std::size_t settingsBytes = std::max(serialize(main_, 2).size() + 1, kSaveHeadroomBytes);
    if ((problem = probeWrite(mainFilePath(), settingsBytes)))
        return problem;
    const std::string dayPath = dayFilePath(dayKey);
    if (dayPath.empty())
        return {};
    if (!makeDirectories(folder_ + "/days", &problem))
        return problem;
    const Value& stored = day(dayKey);
    if (const auto alone = daysLeftAlone_.find(dayKey); alone != daysLeftAlone_.end())
        return alone->second;
    const std::size_t dayBytes = std::max(stored.is_null() ? 0 : recordBytes(stored), kSaveHeadroomBytes);
    return probeWrite(dayPath, dayBytes);
}

void FileUserDefaults::setCombiner(std::string keyPrefix, Combiner combine)
{
    combiners_[std::move(keyPrefix)] = std::move(combine);
}

bool FileUserDefaults::saveAgain()
{
    rereadLeftAlone();
    return flush();
}

void FileUserDefaults::rereadLeftAlone()
{
    if (mainLeftAlone_) {
        Value stored;
        SettingsFileProblem problem;
        const Load load = loadMain(stored, problem);
        if (load == Load::leftAlone) {
            settingsProblem_ = std::move(problem);
        } else {
            // What the user set meanwhile goes over what the file holds, key by key.
            if (load == Load::value) {
                for (const std::string& key : mainKeysSet_) {
                    if (const auto it = main_.find(key); it != main_.end())
                        stored[key] = *it;
                    else
                        stored.erase(key);
                }
                main_ = std::move(stored);
            }
            logLine("Read " + mainFilePath() + " again; the settings changed meanwhile go into it.");
            mainLeftAlone_ = false;
            mainKeysSet_.clear();
            mainDirty_ = true;
        }
    }
    for (auto it = daysLeftAlone_.begin(); it != daysLeftAlone_.end();) {
        const std::string& key = it->first;
        Value stored;
        SettingsFileProblem problem;
        const Load load = loadFile(dayFilePath(key), kMaxDayFileBytes, stored, &problem);
        if (load == Load::leftAlone) {
            it->second = problem.problem;
            ++it;
            continue;
        }
        Value& set = days_[key];
        if (!dirtyDays_.contains(key)) {
            set = std::move(stored);
        } else if (load == Load::value && !set.is_null()) {
            const auto combiner = std::find_if(combiners_.begin(), combiners_.end(),
                                               [&](const auto& entry) { return key.starts_with(entry.first); });
            if (combiner == combiners_.end()) {
                ++it;
                continue;
            }
            set = combiner->second(stored, set);
            logLine("Read " + dayFilePath(key) + " again; what was booked meanwhile is added to it.");
        }
        it = daysLeftAlone_.erase(it);
    }
}

std::vector<std::string> FileUserDefaults::unsavedDays() const
{
    std::vector<std::string> dates;
    for (const std::string& key : dirtyDays_)
        dates.push_back(key.substr(std::string_view(kDailyPrefix).size()));
    return dates;
}

} // namespace plovane
