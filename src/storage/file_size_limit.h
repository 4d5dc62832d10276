#pragma once

namespace bio {

// Called once at start-up, before anything is written. A write past the
// file-size limit (ulimit -f, prlimit --fsize) would end the program by
// SIGXFSZ, with no word and a temporary file left behind; with the signal
// ignored, as databases do, the write fails with EFBIG instead, and the saves
// of kojinfl.txt and of a PDF clean up and say the disk is full.
void IgnoreFileSizeSignal();

}  // namespace bio
