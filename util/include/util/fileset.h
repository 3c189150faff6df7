// FILESET: a file object with a full path, a software position, the file's
// last-write time and two memory windows over its contents; plus the
// reserved-device check and backup naming of replaced outputs.
//
// Every operation first records its object as the current file set (error
// handlers report that path) and raises kErrNullArgument on a null object.
#pragma once

#include "util/strset.h"

#include <cstddef>
#include <cstdint>

namespace util {

// A local date and time.
struct DateTime {
    uint16_t year;
    uint8_t month, day, hour, minute, second;
    uint16_t millisecond;
};

struct FileWindow {
    uint8_t* data; // a Memblock, or null
    uint32_t offset;
    uint32_t capacity;
    uint32_t valid;
};

struct FILESET {
    STRSET* path;
    STRSET* second;
    DateTime last_write;
    bool last_write_known;
    bool path_set;
    int fd; // -1 when closed
    uint32_t size;
    uint32_t position;
    FileWindow windows[2];
    uint8_t last_window;
};

enum class FileMode { Read, Write, ReadWrite, Append };

FILESET* fs_create();
void fs_free(FILESET* f);
// Closes and clears f; resolves name to a full path; appends "." and
// default_ext when given and the last component has no extension and does
// not end in ".".  Trailing dots mean "no extension" and are dropped
// ("song." names song).  An empty name, a path longer than PATH_MAX or one
// ending in "/" (a folder, ".", "..") raises kErrFilesetParam.
void fs_set_path(FILESET* f, const char* name, const char* default_ext);
// When the file does not exist under its exact name but one entry of its
// folder matches case-insensitively, takes that entry's name.
void fs_fix_case(FILESET* f);
// Creates or truncates the file (writable when permission has 0x80) and
// closes it again.  kErrFilesetEmpty without a path, kErrFileStillOpen when
// open, kErrFileCannotWrite on failure.
void fs_create_file(FILESET* f, unsigned permission);
void fs_open(FILESET* f, FileMode mode);
void fs_close(FILESET* f);
// whence 0 absolute, 1 relative to the position, 2 relative to the size;
// other values leave it.  The position is kept within 0..UINT32_MAX.
// Returns the new position.
uint32_t fs_seek(FILESET* f, int64_t offset, int whence);
void fs_write(FILESET* f, const void* bytes, size_t n);
void fs_write_byte(FILESET* f, uint8_t b);
void fs_write_word(FILESET* f, uint16_t w); // low byte first
void fs_write_pattern32(FILESET* f, uint32_t pattern, uint32_t count);
// The whole contents, held in one of the windows (valid until the object is
// cleared or freed); *size receives the length.
const uint8_t* fs_load(FILESET* f, uint32_t* size);

const char* fs_path(const FILESET* f);
bool fs_exists(const FILESET* f);
// The file set that the last operation named (error handlers report it).
FILESET* fs_current();

// Absolute and lexically normalised; the file need not exist.
// Raises kErrFilesetParam when the result exceeds PATH_MAX.
STRSET* path_full(const char* name);
// path itself when something has that name; otherwise, when one entry of
// its folder matches the last component case-insensitively, the path with
// that entry's name (the smallest such name when several match).
STRSET* path_fix_case(const char* path);
// True when the path names a reserved DOS device ("/" and "\" alike).
bool conproof_hit(const char* path);
// "CON\CON-Proof affected."
extern const char* const kConProofMessage;

// Carries seconds into minutes ... months into years (Gregorian months).
DateTime date_normalise(DateTime t);
// base + "_" + YYYYMMDDhhmmss + extension.
STRSET* backup_name(const char* output_path, const DateTime& t);
// When output_path exists: renames it to its backup name (advancing the
// seconds while that name is taken).  A link is moved as it is, its target
// left alone; only a regular file of this user is first made writable.
// Raises kErrFileCannotWrite on failure.  Returns the backup path or null.
STRSET* backup_existing(const char* output_path);

// An output is written in full under a temporary name in its own folder and
// only then put in place, so that a failure leaves the output name as it was.
//
// Binds f to the output `name` of a program about to write it: takes the
// letter case of an existing file and refuses (kErrFileCannotWrite, f
// current) an output that is the file at source_path or a folder.  Nothing
// is moved yet.
void fs_prepare_output(FILESET* f, const char* name, const char* source_path);
// Binds pending to a new empty file beside output's path, created only where
// no file of its name exists (never through a link), with the mode a created
// output gets, and opens it for writing.  Raises kErrFileCannotWrite
// (output current).
void fs_create_pending(FILESET* pending, FILESET* output);
// Closes pending, moves an existing file at output's path to its backup
// name and renames pending to that path; pending is left without a path.
// Raises kErrFileCannotWrite (output current) with the old output back in
// place when it can be.
void fs_put_in_place(FILESET* pending, FILESET* output);
// Closes pending and removes its file, unless it was put in place.
void fs_discard_pending(FILESET* pending);

} // namespace util
