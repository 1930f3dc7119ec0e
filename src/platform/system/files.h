// Folders and files, as the workers need them.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace disctrove::platform {

enum class CreateFolderResult { created, alreadyExists, failed };

// Creates one folder (its parent must exist).
CreateFolderResult CreateFolder(const std::string& path);

// Creates a folder with every missing folder above it ("" is the current folder). False when
// it is not there afterwards.
bool CreateFolderPath(const std::string& path);

// CreateFolderPath, then a check that files can be made in the folder. False, with the system's
// reason ("Not a directory", "Permission denied") in `reason`, when the folder is not there or
// is closed to this user.
bool CreateWritableFolderPath(const std::string& path, std::string& reason);

// Deletes a file (and ends the in-use lock of a working file); a missing file is no error.
// False when it exists and cannot be deleted.
bool RemoveFile(const std::string& path);

// What ReadExistingFile found at a path.
enum class ExistingFile { none, link, regular, other };

// Looks at `path` without following a link: nothing there, a link (not read), a regular file of
// at most `limit` bytes (its bytes into `text`), or anything else (a folder, a device, a file
// that is larger or cannot be read).
ExistingFile ReadExistingFile(const std::string& path, size_t limit, std::string& text);

// std::fopen, through the seam that lets tests make writing fail (write_faults.h); a mode that
// writes never follows a link at `path` (the open fails with ELOOP).
std::FILE* OpenStream(const std::string& path, const char* mode);

// A path for a file being written that becomes `path` once whole: beside it (so a rename
// finishes it), hidden, and named with this process's id so that a later start can tell the
// leftovers of a process that died from those of one still running. Unique within the process.
std::string TemporaryPathBeside(const std::string& path);

// The path a file being written to `path` goes to first: a name of TemporaryPathBeside(path)
// that nothing holds yet, or `path` itself when a rename must not replace what is there (a
// device such as /dev/null, a folder). A link at `path` is replaced by the rename, never
// written through.
std::string WritingPathFor(const std::string& path);

// Opens a working file for writing (`mode` as std::fopen's "w…"): a new file of this process
// with `permissions` (before the umask), never a file that is there already and never through
// a link (errno EEXIST: pick another name), locked as in use until RemoveFile or ReplaceFile
// ends it, so that a clean-up of leftovers, in another process too, leaves it. A device at
// `path` is written as it is. Null when it cannot; through the write-fault seam.
std::FILE* CreateWorkingStream(const std::string& path, const char* mode,
                               unsigned permissions = 0666);

// Puts the finished temporary file `from` in place of `to` (a link at `to` is replaced, not
// followed); false (and `from` removed) when it cannot.
bool ReplaceFile(const std::string& from, const std::string& to);

// Removes, in `folders` and the folders up to `depth` levels below them, the temporary files of
// this program's processes that are certainly no longer running (the names TemporaryPathBeside
// and the rip's PCM files get): files of this user whose process id names no running process
// and that no process holds locked as in use. Returns how many it removed.
int RemoveOrphanedTemporaryFiles(const std::vector<std::string>& folders, int depth);

// Writes `text` to `path` whole or not at all: into a new file beside it, then renamed over it
// (a link at `path` is replaced, not followed).
// False (and nothing left behind) when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& text);

// The whole content of the file at `path`; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// True when `a` and `b` name the same existing file (through links and relative paths too).
bool SameFile(const std::string& a, const std::string& b);

// Makes the calling thread background work: it yields to interactive threads when they wake,
// yet keeps a fair share of the processor when other programs keep it busy.
void SetIdlePriority();

}  // namespace disctrove::platform
