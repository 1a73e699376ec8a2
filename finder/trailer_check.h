// Whether a file on disk ends in the encrypted trailer, found by reading its last two bytes
// (the scan's own test, from the portable core).
#ifndef VEILQUILL_TRAILER_CHECK_H
#define VEILQUILL_TRAILER_CHECK_H

// Opens the file for reading only, with full sharing, so files that are read-only or held
// open by other programs are still looked at; reads just the two bytes before its end, with
// 64-bit sizes, so no file is read whole and files of 4 GiB and more are judged right. Never
// changes the file or its attributes. False for a file that cannot be opened or read, and for
// one shorter than two bytes.
bool FileEndsInTrailer(const char* path);

#endif
