#include "platform/UserDefaults.h"

#include "platform/InMemoryUserDefaults.h"
#include "platform/Log.h"

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <strings.h>

namespace plovane {
namespace {

std::optional<double> parseNumber(const std::string& text)
{
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t' || *begin == '\n')
        ++begin;
    if (*begin == '\0')
        return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin)
        return std::nullopt;
    return v;
}

std::optional<double> numberOf(const UserDefaults::Value& v)
{
    if (v.is_number())
        return v.get<double>();
    if (v.is_boolean())
        return v.get<bool>() ? 1.0 : 0.0;
    if (v.is_string())
        return parseNumber(v.get<std::string>());
    return std::nullopt;
}

std::string numberText(const UserDefaults::Value& v)
{
    if (v.is_number_integer() || v.is_number_unsigned())
        return v.dump();
    double d = v.get<double>();
    if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15) {
        std::ostringstream s;
        s << static_cast<long long>(d);
        return s.str();
    }
    std::ostringstream s;
    s.precision(17);
    s << d;
    return s.str();
}

std::mutex& standardMutex()
{
    static std::mutex m;
    return m;
}
std::shared_ptr<UserDefaults>& standardSlot()
{
    static std::shared_ptr<UserDefaults> store;
    return store;
}

} // namespace

std::string UserDefaults::serialize(const Value& value, int indent)
{
    // An application name from a broken desktop file must not make the save throw.
    return value.dump(indent, ' ', false, Value::error_handler_t::replace);
}

double UserDefaults::doubleForKey(const std::string& key) const
{
    auto v = object(key);
    if (!v)
        return 0;
    return numberOf(*v).value_or(0);
}

long long UserDefaults::integerForKey(const std::string& key) const
{
    double d = doubleForKey(key);
    if (!std::isfinite(d))
        return 0;
    return static_cast<long long>(std::trunc(d));
}

bool UserDefaults::boolForKey(const std::string& key) const
{
    auto v = object(key);
    if (!v)
        return false;
    if (v->is_boolean())
        return v->get<bool>();
    if (v->is_number())
        return v->get<double>() != 0;
    if (v->is_string()) {
        const auto& s = v->get_ref<const std::string&>();
        if (strcasecmp(s.c_str(), "yes") == 0 || strcasecmp(s.c_str(), "true") == 0)
            return true;
        auto n = parseNumber(s);
        return n && *n != 0;
    }
    return false;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const
{
    auto v = object(key);
    if (!v)
        return std::nullopt;
    if (v->is_string())
        return v->get<std::string>();
    if (v->is_number())
        return numberText(*v);
    return std::nullopt;
}

std::optional<std::vector<std::string>> UserDefaults::stringArrayForKey(const std::string& key) const
{
    auto v = object(key);
    if (!v || !v->is_array())
        return std::nullopt;
    std::vector<std::string> out;
    out.reserve(v->size());
    for (const auto& e : *v) {
        if (e.is_string())
            out.push_back(e.get<std::string>());
        else if (e.is_number())
            out.push_back(numberText(e));
        else
            return std::nullopt;
    }
    return out;
}

UserDefaults& UserDefaults::standard()
{
    return *standardShared();
}

std::shared_ptr<UserDefaults> UserDefaults::standardShared()
{
    std::lock_guard lock(standardMutex());
    auto& slot = standardSlot();
    if (!slot)
        slot = std::make_shared<InMemoryUserDefaults>();
    return slot;
}

void UserDefaults::setStandard(std::shared_ptr<UserDefaults> store)
{
    std::lock_guard lock(standardMutex());
    standardSlot() = std::move(store);
}

void UserDefaults::keepOriginalAside(const std::string& key, const std::string& reason)
{
    // Held in memory only: there is no file to keep, but the loss is still worth a line.
    logLine(reason + " (" + key + ")");
}

} // namespace plovane
