// Code page 949 to and from UTF-8 with the system's mapping: the same bytes
// and the same replacements on every system.

#include "base/TextCodec.h"

#include <gtest/gtest.h>

TEST(TextCodec, HangulOutsideTheCommonBlockRoundTrips)
{
    // 똠 (8C 63) lies outside the 2,350 syllables of KS X 1001: a converter
    // that knows only those, or IBM's 949, gets it wrong.
    EXPECT_EQ(utf8ToCp949("똠방 서울1"), "\x8C\x63\xB9\xE6 \xBC\xAD\xBF\xEF" "1");
    EXPECT_EQ(cp949ToUtf8("\x8C\x63\xB9\xE6 \xBC\xAD\xBF\xEF" "1"), "똠방 서울1");
    EXPECT_EQ(cp949Length("서울1 온도 23도"), 15U);
    // Symbols and Hanja of the code page come back as they went.
    for (const char* text : {"①Ω№", "漢字", "ㄱㅏ"})
        EXPECT_EQ(cp949ToUtf8(utf8ToCp949(text)), text) << text;
}

TEST(TextCodec, BrokenBytesBecomeOneReplacementEach)
{
    // A lead byte with a trail that does not fit, a lead cut off at the end,
    // and a byte that starts nothing: each bad byte is one U+FFFD, and the
    // byte after a bad lead is read on its own.
    EXPECT_EQ(cp949ToUtf8("a\x81 b"), "a" "\xEF\xBF\xBD" " b");
    EXPECT_EQ(cp949ToUtf8("\xB0\xA1\xB0"), "가" "\xEF\xBF\xBD");
    EXPECT_EQ(cp949ToUtf8("\xC9"), "\xEF\xBF\xBD");
    EXPECT_EQ(cp949ToUtf8(std::string("\0x", 2)), std::string("\0x", 2));
}

TEST(TextCodec, WhatTheCodePageLacksBecomesAQuestionMark)
{
    // An emoji, a broken sequence, a cut sequence and a lone continuation
    // byte: one '?' each, and the text around them survives.
    EXPECT_EQ(utf8ToCp949("a\xF0\x9F\x98\x80" "b"), "a?b");
    EXPECT_EQ(utf8ToCp949("\xC3\x28"), "?");
    EXPECT_EQ(utf8ToCp949("ab\xE1"), "ab?");
    EXPECT_EQ(utf8ToCp949("\x80가"), "?\xB0\xA1");
    // Surrogates written as UTF-8 are not characters.
    EXPECT_EQ(utf8ToCp949("\xED\xA0\x80"), "?");
}

TEST(TextCodec, ExactConversionRefusesWhatItCannotRepresent)
{
    EXPECT_EQ(utf8ToCp949Exactly("똠"), std::string("\x8C\x63"));
    EXPECT_EQ(utf8ToCp949Exactly("Seoul1"), std::string("Seoul1"));
    EXPECT_EQ(utf8ToCp949Exactly(""), std::string());
    EXPECT_FALSE(utf8ToCp949Exactly("\xF0\x9F\x98\x80").has_value());  // emoji
    EXPECT_FALSE(utf8ToCp949Exactly("\xC3\x28").has_value());          // broken UTF-8
    EXPECT_FALSE(utf8ToCp949Exactly("ab\xE1").has_value());            // cut sequence
    EXPECT_FALSE(utf8ToCp949Exactly("\xC0\xAF").has_value());          // overlong '/'
}
