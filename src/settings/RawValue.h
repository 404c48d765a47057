#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace plovane {

// Text forms of the settings enums. Each enum specialises RawValues with its texts in
// declaration order; rawValue, fromRaw and allCases then work the same for all of them.
template <typename E>
struct RawValues;

template <typename E>
constexpr std::string_view rawValue(E value)
{
    return RawValues<E>::texts[static_cast<std::size_t>(value)];
}

// Exact, case-sensitive match of one of the texts; nothing for any other text.
template <typename E>
constexpr std::optional<E> fromRaw(std::string_view raw)
{
    const auto& texts = RawValues<E>::texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == raw)
            return static_cast<E>(i);
    return std::nullopt;
}

// Every case, in declaration order.
template <typename E>
constexpr auto allCases()
{
    constexpr std::size_t count = RawValues<E>::texts.size();
    std::array<E, count> cases{};
    for (std::size_t i = 0; i < count; ++i)
        cases[i] = static_cast<E>(i);
    return cases;
}

} // namespace plovane
