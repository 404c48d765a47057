#include "sensing/TextUtil.h"

#include <gtest/gtest.h>

namespace plovane {
namespace {

TEST(TextUtilTest, TrimsUnicodeWhitespaceOnBothEnds)
{
    EXPECT_EQ(trimWhitespace("  knock\r\n"), "knock");
    EXPECT_EQ(trimWhitespace("\xC2\xA0\xE3\x80\x80knock\xE2\x80\xA8\t"), "knock"); // NBSP, ideographic space, LS
    EXPECT_EQ(trimWhitespace("a b"), "a b");
    EXPECT_EQ(trimWhitespace(" \n "), "");
    EXPECT_EQ(trimWhitespace("继续 "), "继续");
    EXPECT_TRUE(isBlank("\xE2\x80\x83\x0B"));
    EXPECT_FALSE(isBlank("\xE2\x80\x8B")) << "a zero-width space is not whitespace";
}

TEST(TextUtilTest, TrimLeavesMalformedBytesInPlace)
{
    EXPECT_EQ(trimWhitespace(" \xFF "), "\xFF");
    EXPECT_EQ(trimWhitespace("\x80\x80 "), "\x80\x80");
}

TEST(TextUtilTest, CaseFoldingTouchesOnlyAsciiLetters)
{
    EXPECT_EQ(asciiUpper("knock"), "KNOCK");
    EXPECT_EQ(asciiLower("Ask 继续 ÄB"), "ask 继续 Äb");
}

TEST(TextUtilTest, Utf8ValidationRejectsMalformedSequences)
{
    EXPECT_TRUE(isValidUtf8("KNOCK 继续 🎵"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong slash
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE4\xBD"));         // truncated
    EXPECT_FALSE(isValidUtf8("\xFF"));
}

} // namespace
} // namespace plovane
