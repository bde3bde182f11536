#include <gtest/gtest.h>

#include <string>

#include "app/Text.h"

namespace {

using kv::app::CutToUtf16Units;
using kv::app::Utf16ToUtf8;
using kv::app::Utf8ToUtf16;

TEST(TextConversion, Utf8ToUtf16ReplacesInvalidSequences) {
  struct Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
  } const cases[] = {
      {"empty", "", u""},
      {"ASCII", "Update success.", u"Update success."},
      {"embedded NUL", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"two-byte", "\xC3\xA9", u"\u00E9"},
      {"three-byte", "\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587"},
      {"four-byte becomes a surrogate pair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"highest code point", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD"},
      {"stray continuation byte", "a\x80z", u"a\uFFFDz"},
      {"invalid lead bytes", "\xFF\xFE", u"\uFFFD\uFFFD"},
      {"sequence cut by ASCII",
       "\xE4\xB8"
       "A",
       u"\uFFFDA"},
      {"sequence cut at the end", "x\xE4\xB8", u"x\uFFFD"},
      {"five-byte lead", "\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Utf8ToUtf16(c.utf8) == c.utf16) << c.name;
  }
}

TEST(TextConversion, Utf16ToUtf8ReplacesLoneSurrogates) {
  struct Case {
    const char* name;
    std::u16string utf16;
    std::string utf8;
  } const cases[] = {
      {"empty", u"", ""},
      {"ASCII and BMP", u"a\u00E9\u4E2D", "a\xC3\xA9\xE4\xB8\xAD"},
      {"surrogate pair", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
      {"lone high surrogate at the end", u"a\xD83D", "a\xEF\xBF\xBD"},
      {"lone low surrogate", u"\xDE00z", "\xEF\xBF\xBDz"},
      {"high surrogate before a letter", u"\xD83Dz", "\xEF\xBF\xBDz"},
      {"pair in the wrong order", u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"U+FFFF", u"\uFFFF", "\xEF\xBF\xBF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.name;
  }
}

TEST(TextConversion, EveryCodePointSurvivesTheRoundTrip) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) {
      continue;
    }
    std::u16string one;
    if (c >= 0x10000) {
      one += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      one += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      one += static_cast<char16_t>(c);
    }
    const std::string utf8 = Utf16ToUtf8(one);
    ASSERT_TRUE(Utf8ToUtf16(utf8) == one) << "U+" << std::hex << static_cast<unsigned>(c);
    ASSERT_EQ(CutToUtf16Units(utf8, one.size()), utf8);
  }
}

TEST(TextConversion, CutToUtf16UnitsNeverSplitsACharacter) {
  struct Case {
    const char* name;
    std::string text;
    std::size_t count;
    std::string cut;
  } const cases[] = {
      {"nothing allowed", "abc", 0, ""},
      {"empty text", "", 10, ""},
      {"shorter than the limit", "abc", 10, "abc"},
      {"exactly the limit", "abc", 3, "abc"},
      {"cut ASCII", "abcdef", 4, "abcd"},
      {"three-byte characters are one unit", "\xE4\xB8\xAD\xE6\x96\x87", 1, "\xE4\xB8\xAD"},
      {"pair does not fit in one unit", "a\xF0\x9F\x98\x80", 2, "a"},
      {"pair fits in two units", "a\xF0\x9F\x98\x80", 3, "a\xF0\x9F\x98\x80"},
      {"invalid bytes count one unit each", "\xFF\xFFz", 2, "\xFF\xFF"},
      {"cut sequence counts as one unit", "\xE4\xB8z", 1, "\xE4\xB8"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutToUtf16Units(c.text, c.count), c.cut) << c.name;
    EXPECT_LE(Utf8ToUtf16(CutToUtf16Units(c.text, c.count)).size(), c.count) << c.name;
  }
  // The 254-unit limit of logged failure texts.
  const std::string longText(300, 'x');
  EXPECT_EQ(CutToUtf16Units(longText, 254), std::string(254, 'x'));
  std::string pairs;
  for (int i = 0; i < 200; ++i) {
    pairs += "\xF0\x9F\x98\x80";
  }
  EXPECT_EQ(Utf8ToUtf16(CutToUtf16Units(pairs, 254)).size(), 254u);
  EXPECT_EQ(Utf8ToUtf16(CutToUtf16Units("a" + pairs, 254)).size(), 253u);
}

}  // namespace
