#include <gtest/gtest.h>

#include "stream/legacy_text.h"
#include "stream/unicode_text.h"

struct LegacyCase {
  const char* Name;
  std::string Bytes;
  std::string Utf8;
};
class LegacyText : public testing::TestWithParam<LegacyCase> {};

TEST_P(LegacyText, DecodesAsTheLegacyRuleSays) {
  EXPECT_EQ(LegacyTextToUtf8(GetParam().Bytes), GetParam().Utf8);
}

INSTANTIATE_TEST_SUITE_P(Encodings, LegacyText,
                         testing::Values(LegacyCase{"Ascii", "Plain text", "Plain text"},
                                         LegacyCase{"Utf8Kept", "\xE6\x98\xA5\xE3\x81\xAE",
                                                    "\xE6\x98\xA5\xE3\x81\xAE"},
                                         LegacyCase{"Utf8BomDropped", "\xEF\xBB\xBFhello", "hello"},
                                         // ソナタ in Shift-JIS; 0x5C as a trail byte is no backslash.
                                         LegacyCase{"ShiftJis", "\x83\x5C\x83\x69\x83\x5E",
                                                    "\xE3\x82\xBD\xE3\x83\x8A\xE3\x82\xBF"},
                                         LegacyCase{"HalfWidthKana", "\xB1\xB2", "\xEF\xBD\xB1\xEF\xBD\xB2"},
                                         // A user-defined Shift-JIS character: taken as ISO-8859-1 instead.
                                         LegacyCase{"UserDefinedIsLatin1", "\xF0\x40", "\xC3\xB0\x40"},
                                         // Not Shift-JIS (0xE9 followed by a blank): ISO-8859-1.
                                         LegacyCase{"Latin1", "Caf\xE9 No\xEBl", "Caf\xC3\xA9 No\xC3\xABl"},
                                         LegacyCase{"TruncatedShiftJisIsLatin1", "ab\x83", "ab\xC2\x83"},
                                         LegacyCase{"Empty", "", ""}),
                         [](const testing::TestParamInfo<LegacyCase>& c) { return c.param.Name; });

TEST(UnicodeText, Utf16WithByteOrderMarksAndSurrogates) {
  using namespace std::string_literals;
  EXPECT_EQ(Utf16ToUtf8("\xFF\xFE\x1C\x59"s, true), "\xE5\xA4\x9C");  // BOM overrides the order
  EXPECT_EQ(Utf16ToUtf8("\xFE\xFF\x59\x1C"s, false), "\xE5\xA4\x9C");
  EXPECT_EQ(Utf16ToUtf8("\x3D\xD8\x3B\xDE"s, false), "\xF0\x9F\x98\xBB");  // a surrogate pair
  EXPECT_EQ(Utf16ToUtf8("\x3D\xD8\x41\x00"s, false),
            "\xEF\xBF\xBD"
            "A");                                       // unpaired
  EXPECT_EQ(Utf16ToUtf8("\x41\x00\x42"s, false), "A");  // odd byte ignored
}

TEST(UnicodeText, ValidUtf8RejectsOverlongsSurrogatesAndCutSequences) {
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\xBB"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE6\x98"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
}
