#include "storage/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

namespace bio {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// One iconv descriptor per conversion call: descriptors must not be shared
// between threads, and opening one is cheap once glibc has loaded the module.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (Opened()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts from the front of `in`, appending to `out`, until the input is
  // used up (returns 0) or iconv stops at a sequence it cannot convert
  // (returns EILSEQ or EINVAL with `in` starting at that sequence).
  int Convert(std::string_view& in, std::string& out) {
    if (!Opened()) return CopyAscii(in, out);
    // iconv gets a short slice at a time: when glibc's second step (internal
    // form to code page 932) rejects a character, it re-converts everything
    // it had taken in to find the input position, so handing it the whole
    // remaining text made each unmappable character cost thousands.
    constexpr std::size_t kSlice = 256;  // far longer than any one character
    char chunk[kSlice * 4];              // 4: the most one input byte grows
    while (!in.empty()) {
      const std::size_t slice = std::min(in.size(), kSlice);
      const bool last_slice = slice == in.size();
      char* src = const_cast<char*>(in.data());  // iconv's prototype; it only reads
      std::size_t src_left = slice;
      char* dst = chunk;
      std::size_t dst_left = sizeof chunk;
      const std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
      const int err = rc == static_cast<std::size_t>(-1) ? errno : 0;
      out.append(chunk, dst);
      in.remove_prefix(slice - src_left);
      // EINVAL before the end of the input is only the slice cutting a
      // character in two; the next slice starts with it whole.
      if (err == EINVAL && !last_slice) continue;
      if (err != 0 && err != E2BIG) return err;
    }
    return 0;
  }

 private:
  // iconv_open's documented failure value is the pointer form of -1.
  bool Opened() const {
    return cd_ != reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
  }

  // Without glibc's gconv modules the file still loads and saves its ASCII
  // part, which both encodings share; everything else counts as invalid.
  static int CopyAscii(std::string_view& in, std::string& out) {
    std::size_t n = 0;
    while (n < in.size() && static_cast<unsigned char>(in[n]) < 0x80) ++n;
    out.append(in.substr(0, n));
    in.remove_prefix(n);
    return in.empty() ? 0 : EILSEQ;
  }

  iconv_t cd_;
};

// Length and value of the well-formed UTF-8 sequence at the front of `s`;
// length 0 when the first byte starts none (overlong forms, surrogates and
// values above U+10FFFF count as ill-formed, as do cut-off sequences).
struct Utf8Char {
  char32_t code_point;
  std::size_t length;
};

Utf8Char NextUtf8(std::string_view s) {
  const auto byte = [s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  std::size_t length;
  char32_t cp;
  char32_t smallest;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1F;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0F;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07;
    smallest = 0x10000;
  } else {
    return {0, 0};
  }
  if (s.size() < length) return {0, 0};
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {0, 0};
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0, 0};
  return {cp, length};
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The characters the decoder gives back for some byte sequence: exactly
// those the encoder may write as bytes, since any other would come back as
// a different character (¥ as \, — as ―, 〜 as ～) or not at all (the tag
// characters). All lie in the Basic Multilingual Plane. Found once by
// decoding every single byte and every lead and trail byte pair.
const std::bitset<0x10000>& TwoWayCharacters() {
  static const std::bitset<0x10000> table = [] {
    std::bitset<0x10000> two_way;
    for (char32_t c = 1; c < 0x80; ++c) two_way.set(c);  // without iconv, ASCII still is
    Iconv decoder("UTF-32LE", "CP932");
    const auto set = [&](const char* utf32) {
      two_way.set(static_cast<unsigned char>(utf32[0]) | static_cast<unsigned char>(utf32[1]) << 8);
    };
    // Bytes that decode to exactly one character.
    const auto add = [&](std::string_view bytes) {
      std::string out;
      if (decoder.Convert(bytes, out) == 0 && out.size() == 4) set(out.data());
    };
    for (int lead = 0x81; lead <= 0xFF; ++lead) {
      const std::string single(1, static_cast<char>(lead));
      std::string_view in = single;
      std::string out;
      const int err = decoder.Convert(in, out);
      if (err == 0 && out.size() == 4) set(out.data());
      // Only a byte cut off alone (EINVAL) begins a pair: after any other
      // byte a pair decodes to two characters or none.
      if (err != EINVAL) continue;
      // Its pairs, decoded a run at a time rather than one call each, which
      // made this table the largest part of the first load: each call ends
      // at a pair that decodes to nothing, which is skipped.
      std::string pairs;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        pairs += static_cast<char>(lead);
        pairs += static_cast<char>(trail);
      }
      std::string_view rest = pairs;
      while (!rest.empty()) {
        std::string_view run = rest;
        out.clear();
        const int run_err = decoder.Convert(run, out);
        const std::size_t taken = rest.size() - run.size();
        if (taken % 2 != 0 || out.size() != taken * 2) {
          // Not one character a pair: each pair of this run on its own.
          const std::size_t checked =
              std::min(rest.size(), std::max<std::size_t>(2, taken + 1) & ~std::size_t{1});
          for (std::size_t i = 0; i < checked; i += 2) add(rest.substr(i, 2));
          rest.remove_prefix(checked);
          continue;
        }
        for (std::size_t i = 0; i < out.size(); i += 4) set(out.data() + i);
        rest.remove_prefix(taken);
        if (run_err != 0 && !rest.empty()) rest.remove_prefix(2);  // the pair it stopped at
      }
    }
    two_way.reset(0xFFFD);  // what the decoder itself puts for bytes it cannot read
    return two_way;
  }();
  return table;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
  Iconv cp932_to_utf8("UTF-8", "CP932");
  std::string out;
  out.reserve(bytes.size() * 3);
  while (!bytes.empty() && cp932_to_utf8.Convert(bytes, out) != 0) {
    // EILSEQ (a byte that starts no character, or a bad trail byte) or
    // EINVAL (a lead byte at the very end): give up on one byte only, so a
    // stray lead byte cannot swallow the ASCII character after it.
    out += kReplacementCharacter;
    bytes.remove_prefix(1);
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8, bool ascii_only) {
  // First pass: only characters the code page holds both ways are left for
  // iconv; every other becomes its reference, and the "&" of a "&#" is
  // escaped, so iconv never meets a character it cannot convert.
  const std::bitset<0x10000>& two_way = TwoWayCharacters();
  std::string clean;
  clean.reserve(utf8.size());
  while (!utf8.empty()) {
    const Utf8Char c = NextUtf8(utf8);
    if (c.length == 0 || c.code_point == 0) {
      clean += '?';  // a 00 byte would cut the text short for other readers
    } else if (utf8.starts_with("&#")) {
      clean += "&#38;";
    } else if (c.code_point < (ascii_only ? 0x80 : two_way.size()) && two_way.test(c.code_point)) {
      clean.append(utf8.substr(0, c.length));
    } else {
      clean += "&#" + std::to_string(static_cast<std::uint32_t>(c.code_point)) + ";";
    }
    utf8.remove_prefix(std::max<std::size_t>(1, c.length));
  }

  Iconv utf8_to_cp932("CP932", "UTF-8");
  std::string_view in = clean;
  std::string out;
  out.reserve(clean.size());
  while (!in.empty() && utf8_to_cp932.Convert(in, out) != 0) {
    // Only where iconv cannot be opened at all.
    const Utf8Char c = NextUtf8(in);
    out += "&#" + std::to_string(static_cast<std::uint32_t>(c.code_point)) + ";";
    in.remove_prefix(std::max<std::size_t>(1, c.length));
  }
  return out;
}

std::string ExpandCharacterReferences(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    const std::size_t amp = std::min(utf8.find("&#"), utf8.size());
    out.append(utf8.substr(0, amp));
    utf8.remove_prefix(amp);
    if (utf8.empty()) break;
    // At most seven digits: U+10FFFF is 1114111.
    std::size_t end = 2;
    std::uint32_t cp = 0;
    while (end < utf8.size() && end < 9 && utf8[end] >= '0' && utf8[end] <= '9') {
      cp = cp * 10 + static_cast<std::uint32_t>(utf8[end] - '0');
      ++end;
    }
    const bool scalar = cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    if (end > 2 && end < utf8.size() && utf8[end] == ';' && scalar && cp != 0 && cp != '\r' &&
        cp != '\n') {
      AppendUtf8(cp, out);
      utf8.remove_prefix(end + 1);
    } else {
      out += '&';
      utf8.remove_prefix(1);
    }
  }
  return out;
}

bool IsUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t length = NextUtf8(bytes).length;
    if (length == 0) return false;
    bytes.remove_prefix(length);
  }
  return true;
}

}  // namespace bio
