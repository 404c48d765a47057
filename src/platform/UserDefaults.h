#pragma once

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plovane {

// A typed key-value store for settings and daily records. Values are JSON values
// (number, bool, string, array, object). The typed getters coerce the way the settings
// code expects: an absent number reads 0, an absent bool false; use object() to tell
// whether a key is present at all.
class UserDefaults {
public:
    using Value = nlohmann::json;
    virtual ~UserDefaults() = default;

    // The largest record a store writes to a file of its own (a day's statistics), in
    // bytes as stored: what every copy of the program reads back, older ones included. A
    // record that can grow keeps itself within this bound; the store writes no larger one.
    static constexpr std::size_t kMaxRecordBytes = 256 << 10;
    // A value as it is written out: compact JSON, any bytes that are not UTF-8 replaced.
    static std::string serialize(const Value& value, int indent = -1);
    // The bytes `value` takes when stored as a record: its compact text and a newline.
    static std::size_t recordBytes(const Value& value) { return serialize(value).size() + 1; }

    // The stored value, or nothing when the key is absent.
    virtual std::optional<Value> object(const std::string& key) const = 0;
    // Stores `value` under `key`; a null value removes the key.
    virtual void set(const std::string& key, Value value) = 0;
    virtual void remove(const std::string& key) = 0;
    // Writes pending changes to permanent storage; false when that failed.
    virtual bool flush() { return true; }
    // Called when a stored value could only be read in part, before the readable part is
    // stored over it: a store on disk keeps the original file aside. `reason` says what
    // was wrong; it is logged once, with where the original went.
    virtual void keepOriginalAside(const std::string& key, const std::string& reason);

    // Number: a number as is, a bool as 1 or 0, a string that parses as a number; else 0.
    double doubleForKey(const std::string& key) const;
    // Whole number under the same rules as doubleForKey, truncated towards zero.
    long long integerForKey(const std::string& key) const;
    // Bool: a bool as is, a number other than 0, a string "YES"/"true" (any case) or one
    // that parses as a non-zero number; else false.
    bool boolForKey(const std::string& key) const;
    // String: a string as is, a number in its plain decimal form; else nothing.
    std::optional<std::string> stringForKey(const std::string& key) const;
    // Array of strings: an array whose elements are all strings (or numbers, written as
    // text); else nothing.
    std::optional<std::vector<std::string>> stringArrayForKey(const std::string& key) const;
    bool contains(const std::string& key) const { return object(key).has_value(); }

    void setDouble(const std::string& key, double value) { set(key, Value(value)); }
    void setBool(const std::string& key, bool value) { set(key, Value(value)); }
    void setString(const std::string& key, const std::string& value) { set(key, Value(value)); }
    void setStringArray(const std::string& key, const std::vector<std::string>& value) { set(key, Value(value)); }

    // The process-wide store the settings use. The program installs the file-backed store
    // at start; until something is installed it is an in-memory store.
    static UserDefaults& standard();
    static std::shared_ptr<UserDefaults> standardShared();
    static void setStandard(std::shared_ptr<UserDefaults> store);
};

} // namespace plovane
