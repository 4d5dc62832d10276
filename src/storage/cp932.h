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
//  - a character the code page holds both ways (one that the decoder above
//    gives back for the bytes it is written as) is written as those bytes;
//  - every other character is written as a decimal numeric character
//    reference, 𠮷 U+20BB7 as "&#134071;", at most ten bytes for one
//    character: those with no form at all, and those whose form decodes to
//    another character (¥ U+00A5 and ‾ U+203E would come back as \ and ~,
//    — U+2014 as ― U+2015, 〜 U+301C as ～ U+FF5E) or to none (the tag
//    characters U+E0000-E007F). References, because they are plain ASCII
//    that any code page 932 reader passes through unharmed, and a person
//    opening the file in an editor can still tell what they stand for. So
//    that a "&#" the text itself holds cannot be taken for a reference, its
//    "&" is written as the reference "&#38;";
//  - each byte that is not part of well-formed UTF-8 becomes "?";
//  - U+0000 becomes "?", so the result never holds a 00 byte.
// So ExpandCharacterReferences(Cp932ToUtf8(result)) gives every scalar value
// of the text back as it was, but U+0000 and what was not well-formed. A
// text without "&#" whose characters the code page holds both ways gives
// plain code page 932. `ascii_only` writes every character beyond ASCII as
// a reference.
std::string Utf8ToCp932(std::string_view utf8, bool ascii_only = false);

// Replaces each "&#" digits ";" naming a Unicode scalar value by that
// character, except U+0000, CR and LF, which a field never holds; any other
// "&" stays as it is.
std::string ExpandCharacterReferences(std::string_view utf8);

// True when `bytes` are well-formed UTF-8 throughout.
bool IsUtf8(std::string_view bytes);

}  // namespace bio
