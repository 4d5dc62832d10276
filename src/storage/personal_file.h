#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/person_record.h"

namespace bio {

inline constexpr char kPersonalFileName[] = "kojinfl.txt";

// The longest record a save can write. Each field comes from a text box
// that takes up to 32767 UTF-16 units (a line edit's default maximum), and
// no unit takes more than two bytes in the file: a code page 932 character
// is one or two bytes, a " becomes the two-byte ＂, and a character outside
// the code page (a surrogate pair too) becomes the one byte "?". Plus two
// quotes per field, four commas and CR LF: 327686 bytes, about 320 KiB.
inline constexpr std::size_t kMaxFieldUnits = 32767;
inline constexpr std::size_t kPersonalFileReadLimit = 5 * (2 * kMaxFieldUnits + 2) + 4 + 2;

// Reads `folder`/kojinfl.txt. Never fails: a missing file (first start)
// gives an empty record; an unreadable, short or damaged file gives the
// fields that could be read and empty texts for the rest. At most
// kPersonalFileReadLimit bytes are read, so that every saved record reads
// back whole and an oversized file still cannot stall the start-up.
PersonRecord LoadPersonalFile(const std::filesystem::path& folder);

struct SaveResult {
  bool ok;
  std::string error;  // UTF-8 Japanese; when !ok, names the file and the reason
  int error_number;   // when !ok, the errno behind the failure
};

// Replaces `folder`/kojinfl.txt atomically (temporary file in the same folder,
// fsync, rename), keeping its permission bits, and its owner and group where
// allowed. A symbolic link is followed and its target replaced in the target's
// own folder. A file the user may not write is not replaced. When no temporary
// file can be made in the folder but the file itself is writable, the file is
// rewritten in place instead. Temporary files older than a minute, left by an
// interrupted save, are removed. On failure the temporary file is removed and
// the previous file is left as it was (unless a rewrite in place failed part
// way).
SaveResult SavePersonalFile(const std::filesystem::path& folder, const PersonRecord& record);

// The failed save of `path` for the errno `err`: the path and the reason in
// Japanese, for the message box the caller shows.
SaveResult SaveFailure(const std::filesystem::path& path, int err);

// The record from the bytes of a file, by the sequential input rules: blanks
// (and line ends) before a field are skipped; a quoted field runs to the next
// quotation mark, or to the end of its line when the mark is missing, and
// anything after it up to the next comma is dropped; an unquoted field runs
// to the next comma or line end, trailing blanks trimmed. Reading stops after
// the fifth field. No field ever holds a CR or LF.
PersonRecord ParsePersonalRecord(std::string_view file_bytes);

// The exact bytes of the file for `record`: five quoted code page 932
// fields, comma-separated, CR LF at the end. So that the line always reads
// back as the same five fields, a " in a field is written as the full-width
// ＂ (U+FF02, bytes FA 57) and a line break (CR LF, CR or LF) as one space.
std::string FormatPersonalRecord(const PersonRecord& record);

}  // namespace bio
