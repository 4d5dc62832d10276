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
// back whole and an oversized file still cannot stall the start-up. A link
// is followed as SavePersonalFile says; one it refuses, and anything but a
// regular file (a FIFO, a device, a folder), reads as no file.
//
// The read holds a shared lock on the file (see SavePersonalFile), so it
// never sees a save part way. It waits for one at most half a second: a
// process stuck with the lock must not freeze the start-up, so the file is
// then read as it is.
//
// A pre-image (kojinfl.txt.saving) holds the record a rewrite in place was
// writing, then the old bytes. It is read instead of the file only where it
// was made for the file's present state: the file is a mix of those two,
// byte by byte, as a rewrite cut short by a system crash leaves it (neither
// of them whole, and not the new record followed by the rest of the old,
// which reads as the new record), and the pre-image belongs to a user who
// may write the file. Any other file, however a person or an editor wrote
// it, is read as it stands, whatever lies beside it.
PersonRecord LoadPersonalFile(const std::filesystem::path& folder);

// What a save did; the caller words a failure for the user.
struct SaveResult {
  bool ok;
  std::filesystem::path path;  // when !ok, the file or folder that failed
  int error_number;            // when !ok, the errno behind the failure
};

// Writes `folder`/kojinfl.txt so that, after any one system call of the
// save fails and after the process ends at any point, the next load reads
// either the old record or the new one, whole:
//  - the file is replaced atomically (a temporary file in the same folder,
//    fsync, rename, fsync of the folder), keeping its permission bits, and
//    its owner and group where allowed: a user who is not the owner keeps
//    the group;
//  - where that cannot be, the file is rewritten in place: when even the
//    group cannot be kept (so that the same people may read it), when the
//    folder takes no temporary file but the file itself is writable, and
//    when the folder will not let this user replace the file (a shared
//    sticky folder: rename refused with EPERM). The old bytes are kept; the
//    new record is written over the start of the file in one write, synced,
//    and only then cut to length. A write, truncate or fsync that fails
//    puts the old bytes back. Where the folder takes one, a pre-image (the
//    new record and the old bytes in kojinfl.txt.saving, no more readable
//    than the file, written by rename and synced before the file is
//    touched, removed after) guards against a system crash tearing the
//    write; see LoadPersonalFile. A file found torn so is first put back
//    as its pre-image has it. A leftover pre-image is removed by the next
//    save, where the folder lets this user remove it.
//
// Copies of the program may save and load side by side (two windows, or two
// users of one portable folder). A save holds an exclusive open-file-
// description lock (fcntl F_OFD_SETLK) on kojinfl.txt itself from before it
// reads the old file to after the new record is in place and the pre-image
// removed; a load holds a shared one. The file itself is locked, not a lock
// file beside it: a lock file could not be made in a folder that takes no
// file (where the rewrite in place is needed most), would belong to whoever
// made it first in a shared sticky folder, and would be one more file in the
// person's folder. A lock on the file's inode is lost when a save renames a
// new file over it, so a save or load that gets the lock then checks that
// the name still leads to the file it locked, and starts again with the new
// one if not; and a save locks its new file before renaming it into place,
// so that no other save begins to rewrite it before the old pre-image is
// gone. A save that does not get the lock within three seconds writes
// nothing and fails with EWOULDBLOCK. A file system with no locks (ENOLCK)
// is saved to without them. The lock is advisory: anyone who may read the
// file can hold it, and so make saves fail, but never make one tear.
//
// Only a regular file is written: where kojinfl.txt, or the end of its link
// chain, is a folder the save fails with EISDIR, and where it is a FIFO, a
// socket or a device with ENXIO; the thing stays as it was.
//
// A symbolic link is followed and its target written in the target's own
// folder, but only where the kernel would follow it (fs.protected_symlinks):
// a link in a folder that is sticky and writable by others must belong to
// the user who saves or to the folder's owner. Any other link: nothing is
// written and the save fails with EACCES; a chain of links that does not
// end fails with ELOOP. A file the user may not write is not replaced.
// Temporary files older than a minute, left by an interrupted save, are
// removed. A failed save returns the path and errno; the temporary file is
// removed and the old record left, or put back. A failure after the new
// record was in place (closing the file, syncing the folder) is still
// reported, though the new record is what the next load reads.
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
// A byte order mark first is dropped (no code page 932 character begins
// EF BB). The fields are then read as UTF-8 when the five of them, as they
// stand in the file, are well-formed UTF-8 and either hold a byte from 0x80
// or followed the mark, for a file a person edited and saved in a text
// editor of today; what comes after the record plays no part; otherwise as
// code page 932, the
// program's own format. The guess is safe because Shift_JIS text with kana or
// kanji is almost never well-formed UTF-8: a kanji's lead byte is 0x81-0x9F
// or 0xE0-0xFC, and 0x81-0x9F cannot start a UTF-8 sequence while 0xE0-0xFC
// would need two or three trail bytes from 0x80-0xBF after it; each era
// name begins with such a 0x8E-0x97 byte, so a file with an era is never
// taken for UTF-8. Only a few half-width katakana pairs with no era (ﾃｱ,
// C3 B1) would read as UTF-8 letters (ñ), so FormatPersonalRecord writes
// such a record in ASCII with references. Either way, a decimal character
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
// Utf8ToCp932 does, also for a character whose code page 932 form would
// read back as another (¥, —, 〜): such a field reads back exactly as typed,
// and a field with neither is written byte for byte as plain code page 932,
// unless the record would then pass for UTF-8 (see ParsePersonalRecord).
std::string FormatPersonalRecord(const PersonRecord& record);

}  // namespace bio
