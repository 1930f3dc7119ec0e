// Folders and files, as the workers need them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace disctrove::platform {

enum class CreateFolderResult { created, alreadyExists, failed };

// Creates one folder (its parent must exist).
CreateFolderResult CreateFolder(const std::string& path);

// Creates a folder with every missing folder above it ("" is the current folder). False when
// it is not there afterwards.
bool CreateFolderPath(const std::string& path);

// Deletes a file; a missing file is no error. False when it exists and cannot be deleted.
bool RemoveFile(const std::string& path);

// std::fopen, through the seam that lets tests make writing fail (write_faults.h).
std::FILE* OpenStream(const std::string& path, const char* mode);

// A path for a file being written that becomes `path` once whole: beside it (so a rename
// finishes it), hidden, and named with this process's id so that a later start can tell the
// leftovers of a process that died from those of one still running. Unique within the process.
std::string TemporaryPathBeside(const std::string& path);

// The path a file being written to `path` goes to first: TemporaryPathBeside(path), or `path`
// itself when a rename must not replace what is there (a device, a link, a folder).
std::string WritingPathFor(const std::string& path);

// Puts the finished temporary file `from` in place of `to`; false (and `from` removed) when it
// cannot.
bool ReplaceFile(const std::string& from, const std::string& to);

// Removes, in `folders` and the folders up to `depth` levels below them, the temporary files of
// this program's processes that are no longer running (the names TemporaryPathBeside and the
// rip's PCM files get). Returns how many it removed.
int RemoveOrphanedTemporaryFiles(const std::vector<std::string>& folders, int depth);

// Writes `text` to `path` whole or not at all: into a new file beside it, then renamed over it.
// False (and nothing left behind) when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& text);

// True when `a` and `b` name the same existing file (through links and relative paths too).
bool SameFile(const std::string& a, const std::string& b);

// Makes the calling thread background work: it yields to interactive threads when they wake,
// yet keeps a fair share of the processor when other programs keep it busy.
void SetIdlePriority();

}  // namespace disctrove::platform
