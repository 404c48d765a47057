#pragma once

#include <string>
#include <string_view>

namespace plovane {

// Strips Unicode whitespace and line breaks (spaces, tabs, CR, LF, NBSP, ideographic
// space, line and paragraph separators, ...) from both ends of UTF-8 text.
std::string_view trimWhitespace(std::string_view text);

// True when the text is empty or made only of whitespace and line breaks.
inline bool isBlank(std::string_view text) { return trimWhitespace(text).empty(); }

// ASCII letters folded; other bytes (CJK, emoji, any multi-byte sequence) pass through.
std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

// True when the bytes form well-formed UTF-8 (no overlongs, surrogates or values past
// U+10FFFF).
bool isValidUtf8(std::string_view bytes);

} // namespace plovane
