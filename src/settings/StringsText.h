#pragma once

// Building blocks of the text catalogue, shared by its source files only.

#include "settings/Strings.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace plovane::strings_detail {

// One text in both languages. Keeping the pair together keeps pools index-parallel.
struct TextPair {
    std::string_view en;
    std::string_view zh;
};

inline std::string pick(const TextPair& text, Language lang)
{
    return std::string{lang == Language::zh ? text.zh : text.en};
}

inline constexpr std::size_t kAreaListLength = 14;
using AreaList = std::array<TextPair, kAreaListLength>;
using AreaLists = std::array<AreaList, kBodyAreaCount>;

// Maps every target to the language's list of its body area.
Strings::TargetPool targetPool(const AreaLists& areas, Language lang);

template <std::size_t N>
std::vector<std::string> plainPool(const std::array<TextPair, N>& texts, Language lang)
{
    std::vector<std::string> out;
    out.reserve(N);
    for (const TextPair& text : texts)
        out.push_back(pick(text, lang));
    return out;
}

} // namespace plovane::strings_detail
