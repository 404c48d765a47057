#pragma once

#include "platform/FileProblem.h"
#include "platform/Scheduler.h"
#include "platform/Signal.h"
#include "platform/UserDefaults.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plovane {

// The program's settings store on disk, in one folder (normally ~/.config/plovane):
//  - defaults.json holds every ordinary key as one JSON object;
//  - days/<date>.json holds each "dailyStats_<date>" record on its own, so saving
//    today costs the same however many days are stored, and days load on first read.
// Every file is replaced atomically. Only regular files of a bounded size and nesting are
// read. A file that is ours but unusable (does not parse, nested too deep, too large, a
// FIFO or device, the wrong shape) is moved aside under a new name, reported once on
// stderr, and the store starts that part from defaults. A file that is the user's own
// link to a regular file they own (a dotfile manager's) is read and replaced where it
// leads, so the link stays a link. A file that exists but cannot be read (permissions)
// or is any other link is reported once and left alone: the store then runs on defaults
// in memory for it and never writes over it. Writes can be coalesced behind a short delay
// on a scheduler; reads always see the latest value, and flush() (also run by the
// destructor) writes what is pending. A save that fails is reported when it starts
// failing and again when it works, not at every try; with a scheduler it is tried again
// every kRetrySeconds until it works.
class FileUserDefaults final : public UserDefaults {
public:
    static constexpr const char* kDailyPrefix = "dailyStats_";
    // Far above what the program writes (a few KiB of settings), far below what would
    // stall the UI to read and rewrite. The settings file is never written larger.
    static constexpr std::size_t kMaxMainFileBytes = 1 << 20;
    // Day files are written within kMaxRecordBytes. Older copies wrote them without a
    // bound: such a day is still read, and saved back within the bound.
    static constexpr std::size_t kMaxDayFileBytes = 4 << 20;
    static_assert(kMaxDayFileBytes >= kMaxRecordBytes && kMaxMainFileBytes >= kMaxRecordBytes);
    // Deeper JSON is never ours; rejecting it keeps every recursive walk of a value short.
    static constexpr int kMaxNesting = 64;
    // How often a failed save is tried again while nothing new asks for one.
    static constexpr double kRetrySeconds = 10;
    // The least room a save must find on the disk at start: more than the settings or a
    // fresh day take, so a day that grows does not fill the disk within the hour.
    static constexpr std::size_t kSaveHeadroomBytes = 16 << 10;

    // `coalesceOn` may be null: then every write reaches the disk before set() returns.
    explicit FileUserDefaults(std::string folder, Scheduler* coalesceOn = nullptr, double coalesceSeconds = 0.5);
    ~FileUserDefaults() override;

    // One setting of the store in `folder`, read without changing anything there (nothing
    // moved aside, nothing cleaned up): for a copy that must not run, and may not write.
    static std::optional<Value> peek(const std::string& folder, const std::string& key);

    std::optional<Value> object(const std::string& key) const override;
    void set(const std::string& key, Value value) override;
    void remove(const std::string& key) override;
    bool flush() override;
    void keepOriginalAside(const std::string& key, const std::string& reason) override;

    // A settings file that was there at start but could not be used: the store runs on
    // defaults for it.
    struct SettingsFileProblem {
        FileProblem problem;
        // Where the original was moved; empty when it stays where it is, never written over.
        std::string keptAs;
    };
    const std::optional<SettingsFileProblem>& settingsFileProblem() const { return settingsProblem_; }

    // What would keep the next save from reaching the disk, looked at before the program
    // runs on this store: the settings folder and the days folder must each take a new
    // file as large as the next save there writes (at least kSaveHeadroomBytes), and the
    // stored record of `dayKey`, if any, must be one the store may replace, that is, one
    // it can read. Nothing when all is well. Makes the folders; leaves no file behind.
    FileProblem problemBeforeSaving(const std::string& dayKey);

    // Tries again from scratch to write everything unsaved: files that could not be read
    // before are read again, and once they can be, what was set meanwhile is written
    // over what they hold (a record of the settings key by key, a record with a combiner
    // through it), instead of being kept from them. True when everything was written.
    bool saveAgain();
    // Combines a stored record that could not be read when it was first needed with the
    // one set since, for the keys that start with `keyPrefix`. Without one, such a
    // record stays as it is and what was set is not written.
    using Combiner = std::function<Value(const Value& stored, const Value& set)>;
    void setCombiner(std::string keyPrefix, Combiner combine);

    // Emitted with true each time a part that was saved (the settings, the daily records)
    // starts to fail, also while the other one fails already, but not at every try of one
    // that keeps failing, nor for a file left alone (reported when it was read); with false
    // once everything is written again.
    Signal<bool> savesFailing;

    const std::string& folder() const { return folder_; }
    // What the last flush left unwritten: the settings, and the dates of daily records,
    // and why (no problem when that part was saved).
    bool settingsUnsaved() const { return mainDirty_; }
    std::vector<std::string> unsavedDays() const;
    const FileProblem& settingsFailure() const { return settingsFailure_; }
    const FileProblem& daysFailure() const { return daysFailure_; }
    std::string mainFilePath() const;
    // The file of a daily record key, or empty when the key is stored in the main file.
    std::string dayFilePath(const std::string& key) const;

private:
    enum class Load { value, absent, leftAlone };
    // Reads a JSON file. A file that is unusable is moved aside (absent); one that cannot
    // be read or is a link is reported and must not be written over (leftAlone).
    // `problem`, when given, is filled with what was wrong with a file that is not read.
    Load loadFile(const std::string& path, std::size_t maxBytes, Value& out,
                  SettingsFileProblem* problem = nullptr) const;
    // Reads the settings file; one that holds no settings object is moved aside like a
    // damaged one (absent) or, when it cannot be, left alone.
    Load loadMain(Value& out, SettingsFileProblem& problem) const;
    const Value& day(const std::string& key) const;
    void scheduleFlush();
    // Reads the files left alone again; the ones that can now be read take what was set.
    void rereadLeftAlone();
    // Reports a save of `what` that failed (with `failure`) or worked, when that changes;
    // true when it starts to fail.
    bool noteSave(bool& failing, const std::string& what, bool saved, const FileProblem& failure);

    std::string folder_;
    Scheduler* scheduler_;
    double coalesceSeconds_;
    Value main_ = Value::object();
    bool mainDirty_ = false;
    // defaults.json exists but could not be read: it is never replaced.
    bool mainLeftAlone_ = false;
    // The keys set or removed while it was left alone: what goes over it once it is read.
    std::set<std::string> mainKeysSet_;
    // Daily records read so far (absent ones cached as null) and the ones to write.
    mutable std::map<std::string, Value> days_;
    // Day files that exist but could not be read, and why: never replaced.
    mutable std::map<std::string, FileProblem> daysLeftAlone_;
    std::set<std::string> dirtyDays_;
    std::map<std::string, Combiner> combiners_;
    // Whether the last save of the settings file, or of the daily records, failed.
    bool settingsFailing_ = false;
    bool daysFailing_ = false;
    // What savesFailing last told.
    bool reportedFailing_ = false;
    FileProblem settingsFailure_;
    FileProblem daysFailure_;
    std::optional<SettingsFileProblem> settingsProblem_;
    TaskHandle pendingFlush_;
    // The next try of a save that failed; a change set meanwhile is written sooner.
    TaskHandle retry_;
};

} // namespace plovane
