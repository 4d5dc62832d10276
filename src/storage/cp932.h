#pragma once

#include <string>
#include <string_view>

namespace bio {

// Code page 932 (Windows-31J) bytes to UTF-8. A byte that starts no
// character, or a lead byte without its trail byte, becomes U+FFFD and
// decoding goes on with the next byte. The user-defined area F040-F9FC
// comes out as the private-use characters U+E000-U+E757.
std::string Cp932ToUtf8(std::string_view bytes);

// UTF-8 to code page 932 bytes, always succeeding:
//  - 〜 U+301C, − U+2212, ‖ U+2016, ¢, £, ¬ are written as Windows writes
//    them (81 60, 81 7C, 81 61, and the full-width ￠ ￡ ￢);
//  - any other character without a code page 932 form becomes "?";
//  - each byte that is not part of well-formed UTF-8 becomes "?";
//  - U+0000 becomes "?", so the result never holds a 00 byte.
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace bio
