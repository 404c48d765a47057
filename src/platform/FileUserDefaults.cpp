#include "platform/FileUserDefaults.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
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
    for (int n = 1; std::filesystem::exists(candidate, ec); ++n)
        candidate = base + "-" + std::to_string(n);
    return candidate;
}

} // namespace

FileUserDefaults::FileUserDefaults(std::string folder, Scheduler* coalesceOn, double coalesceSeconds)
    : folder_(std::move(folder)), scheduler_(coalesceOn), coalesceSeconds_(coalesceSeconds)
{
    if (auto loaded = loadFile(mainFilePath())) {
        if (loaded->is_object()) {
            main_ = std::move(*loaded);
        } else {
            // Valid JSON of the wrong shape is as unusable as broken JSON: keep it aside.
            std::string aside = asideName(mainFilePath());
            if (std::rename(mainFilePath().c_str(), aside.c_str()) == 0)
                logLine("Settings file " + mainFilePath() + " is not a settings object; moved it to " + aside +
                        " and started from defaults.");
        }
    }
}

FileUserDefaults::~FileUserDefaults()
{
    pendingFlush_.cancel();
    flush();
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

std::optional<UserDefaults::Value> FileUserDefaults::loadFile(const std::string& path) const
{
    std::string text;
    if (!readWholeFile(path, text))
        return std::nullopt;
    Value parsed = Value::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!parsed.is_discarded())
        return parsed;
    std::string aside = asideName(path);
    if (std::rename(path.c_str(), aside.c_str()) == 0)
        logLine("Could not read " + path + "; moved it to " + aside + " and started from defaults.");
    else
        logLine("Could not read " + path + "; starting from defaults.");
    return std::nullopt;
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
    auto it = days_.find(key);
    if (it == days_.end())
        it = days_.emplace(key, loadFile(dayPath).value_or(Value())).first;
    if (it->second.is_null())
        return std::nullopt;
    return it->second;
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
    } else {
        days_[key] = std::move(value);
        dirtyDays_.insert(key);
    }
    scheduleFlush();
}

void FileUserDefaults::remove(const std::string& key)
{
    if (dayFilePath(key).empty()) {
        if (main_.erase(key) == 0)
            return;
        mainDirty_ = true;
    } else {
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
    if (!mainDirty_ && dirtyDays_.empty())
        return true;
    if (!makeDirectories(folder_)) {
        logLine("Could not create the settings folder " + folder_);
        return false;
    }
    bool ok = true;
    if (mainDirty_) {
        if (AtomicFile::write(mainFilePath(), main_.dump(2) + "\n"))
            mainDirty_ = false;
        else
            ok = false;
    }
    if (!dirtyDays_.empty() && !makeDirectories(folder_ + "/days"))
        return false;
    for (auto it = dirtyDays_.begin(); it != dirtyDays_.end();) {
        const std::string path = dayFilePath(*it);
        const Value& v = days_[*it];
        bool written = v.is_null() ? (::unlink(path.c_str()) == 0 || errno == ENOENT)
                                   : AtomicFile::write(path, v.dump() + "\n");
        if (written) {
            it = dirtyDays_.erase(it);
        } else {
            ok = false;
            ++it;
        }
    }
    return ok;
}

} // namespace plovane
