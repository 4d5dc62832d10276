#include "storage/cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "hex.h"

namespace bio {
namespace {

using test::FromHex;
using test::ToHex;

struct DecodeCase {
  const char* bytes;  // hex
  std::string text;   // UTF-8
};

TEST(Cp932ToUtf8, DecodesWindows31JAndReplacesEachInvalidByte) {
  const DecodeCase cases[] = {
      {"8F BA 98 61", "昭和"},
      {"96 BE 8E A1 91 E5 90 B3 95 BD 90 AC 97 DF 98 61", "明治大正平成令和"},
      {"81 60", "～"},  // U+FF5E, not the JIS wave dash U+301C
      {"81 7C", "－"},  // U+FF0D, not U+2212
      {"81 61", "∥"},
      {"81 91 81 92 81 CA", "￠￡￢"},
      {"87 40", "①"},
      {"FB FC", "髙"},
      {"FA 57", "＂"},
      {"5C 7E", "\\~"},                 // Windows-31J keeps ASCII here, not ¥ and ‾
      {"F0 40 F9 FC", "\uE000\uE757"},  // user-defined area -> private use
      {"61 00 62", std::string("a\0b", 3)},
      {"80", "\uFFFD"},
      {"FD FE FF", "\uFFFD\uFFFD\uFFFD"},
      {"82 A0 81", "あ\uFFFD"},  // lead byte cut off at the end
      {"81 22", "\uFFFD\""},     // 0x22 is never a trail byte
      {"85 40", "\uFFFD@"},      // unassigned row: the ASCII after it survives
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(Cp932ToUtf8(FromHex(c.bytes)), c.text) << c.bytes;
  }
}

struct EncodeCase {
  const char* label;
  std::string text;   // UTF-8, possibly ill-formed
  const char* bytes;  // hex
};

TEST(Utf8ToCp932, EncodesWindows31JAndReferences) {
  const EncodeCase cases[] = {
      {"fullwidth tilde", "～", "81 60"},
      {"wave dash: 81 60 reads back as ～", "〜", "26 23 31 32 33 31 36 3B"},
      {"fullwidth minus", "－", "81 7C"},
      {"minus sign: 81 7C reads back as －", "−", "26 23 38 37 32 32 3B"},
      {"yen sign: 5C reads back as \\", "¥", "26 23 31 36 35 3B"},
      {"tag character: dropped by iconv", "\U000E0041", "26 23 39 31 37 35 36 39 3B"},
      {"fullwidth cent pound not", "￠￡￢", "81 91 81 92 81 CA"},
      {"circled one", "①", "87 40"},
      {"taka", "髙", "FB FC"},
      {"backslash", "\\", "5C"},
      {"private use", "\uE000", "F0 40"},
      {"no form: accent", "é", "26 23 32 33 33 3B"},
      {"no form: one reference per character", "a😀b", "61 26 23 31 32 38 35 31 32 3B 62"},
      {"no form: U+FFFD", "\uFFFD", "26 23 36 35 35 33 33 3B"},
      {"a typed &#", "&#65;", "26 23 33 38 3B 23 36 35 3B"},
      {"NUL", std::string("a\0b", 3), "61 3F 62"},
      {"stray byte",
       "a\xFF"
       "b",
       "61 3F 62"},
      {"cut-off sequence", "\xE6\x98", "3F 3F"},
      {"surrogate", "\xED\xA0\x80", "3F 3F 3F"},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(ToHex(Utf8ToCp932(c.text)), c.bytes) << c.label;
  }
}

std::string Repeat(std::string_view s, int n) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

// Texts longer than the converter's internal slices, with the odd byte
// first so that double-byte characters straddle every slice boundary.
TEST(Cp932, LongTextsConvertWhole) {
  const std::string bytes = "a" + Repeat("\x82\xA0", 1000);
  const std::string text = "a" + Repeat("あ", 1000);
  EXPECT_EQ(Cp932ToUtf8(bytes), text);
  EXPECT_EQ(Cp932ToUtf8(bytes + "\x82"), text + "\uFFFD");
  EXPECT_EQ(Utf8ToCp932(text), bytes);
  EXPECT_EQ(Utf8ToCp932(Repeat("é", 1000) + "あ"), Repeat("&#233;", 1000) + "\x82\xA0");
}

// Plain UTF-8, written out here rather than borrowed from the code under test.
std::string Utf8(char32_t cp) {
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  const int n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  std::string s(n, '\0');
  for (int i = n - 1; i > 0; --i, cp >>= 6) s[i] = static_cast<char>(0x80 | (cp & 0x3F));
  s[0] = static_cast<char>(((0xFF00 >> n) & 0xFF) | cp);
  return s;
}

// Every scalar value but U+0000, a block at a time: no 00 byte, and every
// character reads back as it was, by its bytes or by its reference.
TEST(Utf8ToCp932, EveryCharacterReadsBackAsTyped) {
  const auto read_back = [](const std::string& text) {
    const std::string bytes = Utf8ToCp932(text);
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
    return ExpandCharacterReferences(Cp932ToUtf8(bytes));
  };
  int wrong = 0;
  for (char32_t block = 0; block <= 0x10FFFF && wrong < 10; block += 0x1000) {
    std::string text;
    for (char32_t cp = std::max<char32_t>(block, 1); cp < block + 0x1000; ++cp) {
      if (cp < 0xD800 || cp > 0xDFFF) text += Utf8(cp);
    }
    if (read_back(text) == text) continue;
    for (char32_t cp = std::max<char32_t>(block, 1); cp < block + 0x1000 && wrong < 10; ++cp) {
      if ((cp < 0xD800 || cp > 0xDFFF) && read_back(Utf8(cp)) != Utf8(cp)) {
        ADD_FAILURE() << "U+" << std::hex << static_cast<std::uint32_t>(cp);
        ++wrong;
      }
    }
  }
}

// Whatever the decoder produces, the encoder writes back as bytes that
// decode to the same text; the file's round trip depends on it.
TEST(Cp932, EveryDecodedCharacterEncodesBackToItself) {
  std::string decoded;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string text = Cp932ToUtf8(pair);
      if (text.find("\uFFFD") == std::string::npos) decoded += text;
    }
  }
  for (int b = 0x01; b <= 0xFF; ++b) {
    const std::string text = Cp932ToUtf8(std::string(1, static_cast<char>(b)));
    if (text.find("\uFFFD") == std::string::npos) decoded += text;
  }
  ASSERT_GT(decoded.size(), 7000u * 3);
  const std::string bytes = Utf8ToCp932(decoded);
  EXPECT_EQ(Cp932ToUtf8(bytes), decoded);
  EXPECT_EQ(bytes.find("&#"), std::string::npos) << "held both ways, yet written as a reference";
}

}  // namespace
}  // namespace bio
