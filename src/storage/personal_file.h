#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/person_record.h"

namespace bio {

inline constexpr char kPersonalFileName[] = "kojinfl.txt";

// The longest record a save can write. Each field comes from a text box
// that takes up to 32767 UTF-16 units (a line edit's default maximum). A
// character outside code page 932 is written as a reference of up to eight
// bytes for one unit ("&#65533;") or ten for a surrogate pair of two
// ("&#1114111;"); every other unit takes at most two bytes (a code page 932
// character, ＂ for a ", "?" for what is not well-formed), and a "&#" of the
// text three a unit ("&#38;#"). So eight bytes a unit, plus two quotes per
// field, four commas and CR LF: 1310696 bytes, about 1.25 MiB.
inline constexpr std::size_t kMaxFieldUnits = 32767;
inline constexpr std::size_t kPersonalFileReadLimit = 5 * (8 * kMaxFieldUnits + 2) + 4 + 2;

// Reads `folder`/kojinfl.txt. Never fails: a missing file (first start)
// gives an empty record; an unreadable, short or damaged file gives the
// fields that could be read and empty texts for the rest. At most
// kPersonalFileReadLimit bytes are read, so that every saved record reads
// back whole and an oversized file still cannot stall the start-up.
PersonRecord LoadPersonalFile(const std::filesystem::path& folder);

// What a save did; the caller words a failure for the user.
struct SaveResult {
  bool ok;
  std::filesystem::path path;  // when !ok, the file or folder that failed
  int error_number;            // when !ok, the errno behind the failure
};

// Replaces `folder`/kojinfl.txt atomically (temporary file in the same folder,
// fsync, rename), keeping its permission bits, and its owner and group where
// allowed: a user who is not the owner keeps the group, and where even the
// group cannot be set the file is rewritten in place instead, so that the
// same people may read it. A symbolic link is followed and its target
// replaced in the target's own folder. A file the user may not write is not
// replaced. When no temporary file can be made in the folder but the file
// itself is writable, the file is rewritten in place instead. Temporary files
// older than a minute, left by an interrupted save, are removed. On failure
// the temporary file is removed and the previous file is left as it was
// (unless a rewrite in place failed part way).
SaveResult SavePersonalFile(const std::filesystem::path& folder, const PersonRecord& record);

// The failed save of `path` for the errno `err`.
SaveResult SaveFailure(const std::filesystem::path& path, int err);

// The record from the bytes of a file, by the sequential input rules: blanks
// (and line ends) before a field are skipped; a quoted field runs to the next
// quotation mark, or to the end of its line when the mark is missing, and
// anything after it up to the next comma is dropped; an unquoted field runs
// to the next comma or line end, trailing blanks trimmed. Reading stops after
// the fifth field. No field ever holds a CR or LF.
//
// The bytes are read as UTF-8 when they are well-formed UTF-8 and hold a byte
// from 0x80 (a byte order mark first is dropped), for a file a person edited
// and saved in a text editor of today; otherwise as code page 932, the
// program's own format. The guess is safe because Shift_JIS text with kana or
// kanji is almost never well-formed UTF-8: a kanji's lead byte is 0x81-0x9F
// or 0xE0-0xFC, and 0x81-0x9F cannot start a UTF-8 sequence while 0xE0-0xFC
// would need two or three trail bytes from 0x80-0xBF after it; each era
// name begins with such a 0x8E-0x97 byte, so a file with an era is never
// taken for UTF-8. Only a few half-width katakana pairs with no era (ﾃｱ,
// C3 B1) read as UTF-8 letters (ñ). Either way, a decimal character
// reference (&#134071;) in a field becomes its character again, as
// ExpandCharacterReferences says.
PersonRecord ParsePersonalRecord(std::string_view data);

// The exact bytes of the file for `record`: five quoted code page 932
// fields, comma-separated, CR LF at the end. So that the line always reads
// back as the same five fields, a " in a field is written as the full-width
// ＂ (U+FF02, bytes FA 57) and a line break (CR LF, CR or LF) as one space.
// A character code page 932 has no form for is written as a decimal
// character reference, 𠮷 as "&#134071;", and the "&" of a "&#" typed in a
// field as "&#38;" (so "&#65;" is written "&#38;#65;"), as
// Utf8ToCp932 does: such a field reads back exactly as typed, and
// a field with neither is written byte for byte as plain code page 932.
std::string FormatPersonalRecord(const PersonRecord& record);

}  // namespace bio
