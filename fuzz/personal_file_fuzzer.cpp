// Fuzz target for the kojinfl.txt reader. Built two ways: with clang's
// libFuzzer by run_fuzz.sh, and with the normal compiler as the corpus replay
// test, so the checks below guard every test run too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "storage/cp932.h"
#include "storage/personal_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool IsWellFormedUtf8(std::string_view s) {
  // The shape only (lead byte, then continuation bytes): enough to catch
  // raw code page 932 bytes slipping through the decoder.
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80                 ? 1
                    : b >= 0xC2 && b <= 0xDF ? 2
                    : b >= 0xE0 && b <= 0xEF ? 3
                    : b >= 0xF0 && b <= 0xF4 ? 4
                                             : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bio::PersonRecord first = bio::ParsePersonalRecord(bytes);
  for (const std::string* field :
       {&first.name, &first.era, &first.year, &first.month, &first.day}) {
    Check(IsWellFormedUtf8(*field));
    Check(field->find_first_of("\r\n") == std::string::npos);
  }

  // What is written always has the one-line shape: ten quotation marks,
  // one CR LF at the very end, no 00 byte.
  const std::string written = bio::FormatPersonalRecord(first);
  Check(written.size() >= 12 && written.compare(written.size() - 2, 2, "\r\n") == 0);
  Check(written.find_first_of("\r\n") == written.size() - 2);
  Check(written.find('\0') == std::string::npos);
  std::size_t quotes = 0;
  for (char c : written) quotes += c == '"';
  Check(quotes == 10);

  // Every character reads back as it was read, but for the two a save
  // replaces: a " (by the full-width ＂) and U+0000 (by "?").
  bio::PersonRecord expected = first;
  for (std::string* field :
       {&expected.name, &expected.era, &expected.year, &expected.month, &expected.day}) {
    std::string replaced;
    for (char c : *field)
      replaced += c == '"' ? "\xEF\xBC\x82" : c == '\0' ? "?" : std::string(1, c);
    *field = replaced;
  }
  Check(bio::ParsePersonalRecord(written) == expected);

  Check(IsWellFormedUtf8(bio::Cp932ToUtf8(bytes)));
  return 0;
}
