#pragma once

#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"

#include <map>
#include <set>
#include <string>

namespace plovane {

// The program's settings store on disk, in one folder (normally ~/.config/plovane):
//  - defaults.json holds every ordinary key as one JSON object;
//  - days/<date>.json holds each "dailyStats_<date>" record on its own, so saving
//    today costs the same however many days are stored, and days load on first read.
// Every file is replaced atomically. A file that does not parse is moved aside under a
// new name (reported once on stderr) and never overwritten; the store then starts from
// defaults. Writes can be coalesced behind a short delay on a scheduler; reads always
// see the latest value, and flush() (also run by the destructor) writes what is pending.
class FileUserDefaults final : public UserDefaults {
public:
    static constexpr const char* kDailyPrefix = "dailyStats_";

    // `coalesceOn` may be null: then every write reaches the disk before set() returns.
    explicit FileUserDefaults(std::string folder, Scheduler* coalesceOn = nullptr, double coalesceSeconds = 0.5);
    ~FileUserDefaults() override;

    std::optional<Value> object(const std::string& key) const override;
    void set(const std::string& key, Value value) override;
    void remove(const std::string& key) override;
    bool flush() override;

    const std::string& folder() const { return folder_; }
    std::string mainFilePath() const;
    // The file of a daily record key, or empty when the key is stored in the main file.
    std::string dayFilePath(const std::string& key) const;

private:
    // Reads a JSON file; a file that does not parse is moved aside and nothing is returned.
    std::optional<Value> loadFile(const std::string& path) const;
    void scheduleFlush();

    std::string folder_;
    Scheduler* scheduler_;
    double coalesceSeconds_;
    Value main_ = Value::object();
    bool mainDirty_ = false;
    // Daily records read so far (absent ones cached as null) and the ones to write.
    mutable std::map<std::string, Value> days_;
    std::set<std::string> dirtyDays_;
    TaskHandle pendingFlush_;
};

} // namespace plovane
