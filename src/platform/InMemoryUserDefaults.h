#pragma once

#include "platform/UserDefaults.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace plovane {

// A store that lives only in memory. It also records every write, in order, so tests can
// check what was written and when.
class InMemoryUserDefaults final : public UserDefaults {
public:
    std::optional<Value> object(const std::string& key) const override;
    void set(const std::string& key, Value value) override;
    void remove(const std::string& key) override;

    // Every set() and remove() so far, in order; a removal is recorded with a null value.
    const std::vector<std::pair<std::string, Value>>& writes() const { return writes_; }
    void clearWrites() { writes_.clear(); }
    const std::map<std::string, Value>& values() const { return values_; }

private:
    std::map<std::string, Value> values_;
    std::vector<std::pair<std::string, Value>> writes_;
};

} // namespace plovane
