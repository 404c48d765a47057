#include "platform/InMemoryUserDefaults.h"

namespace plovane {

std::optional<UserDefaults::Value> InMemoryUserDefaults::object(const std::string& key) const
{
    auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

void InMemoryUserDefaults::set(const std::string& key, Value value)
{
    if (value.is_null()) {
        remove(key);
        return;
    }
    writes_.emplace_back(key, value);
    values_[key] = std::move(value);
}

void InMemoryUserDefaults::remove(const std::string& key)
{
    writes_.emplace_back(key, Value());
    values_.erase(key);
}

} // namespace plovane
