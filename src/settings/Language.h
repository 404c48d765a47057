#pragma once

#include "settings/RawValue.h"

namespace plovane {

// The two interface languages. Every user-visible text exists in both; a text is
// Chinese exactly when the language is zh.
enum class Language {
    zh,
    en,
};

template <>
struct RawValues<Language> {
    static constexpr std::array<std::string_view, 2> texts{"zh", "en"};
};

} // namespace plovane
