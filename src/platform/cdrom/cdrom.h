// The CD drive functions: drive list, handles, table of contents, disc ID and audio reads, over
// real drives (libcdio), disc images (libcdio) and simulated discs (.simcd).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/disc_facts.h"

namespace disctrove::platform {

using CdHandle = uint32_t;  // 0 is no handle

// Adds a disc image (.cue, .toc, .nrg, or a simulated disc .simcd) to the end of the drive
// list; its name there is `path`. False, with the reason in `problem`, when it cannot be opened.
bool AddDiscImage(const std::string& path, std::string& problem);

// True when `request` names a disc image (or a simulated disc) rather than a real drive.
bool IsImageDrive(const GetCdHandleRequest* request);

// The device path or image file of the drive list's entry that `request` names, and whether it
// is an image. False when the list has no such entry.
bool ListedSource(const GetCdHandleRequest& request, std::string& source, bool& isImage);

// Removes every image added with AddDiscImage.
void ClearDiscImages();

// Fills the zeroed `list`: the real drives of this machine, then the images, at most 8 in all.
// Returns 1.
int GetCDList(CdList* list);

// Opens the drive that `request` names; 0 when it names none or cannot be opened.
CdHandle GetCDHandle(const GetCdHandleRequest* request);

// Closes a handle; returns 1, or 0 for an unknown handle.
int CloseCDHandle(CdHandle handle);

// Fills the zeroed `toc` from the disc in the drive (DriveHandle::ReadToc gives it typed). Returns
// kCdStatusOk, or kCdStatusError when there is no readable disc.
int ReadTOC(CdHandle handle, TocRecord* toc);

// The first sector of the last session of the disc: 0 for a disc of one session (or a drive
// that cannot tell). Returns 1, or 0 when there is no readable disc.
int GetLastSession(CdHandle handle, int32_t* start);

// Writes the CDDB disc ID of the disc into buffer[0], then the track count, every track's start
// in frames (counting the 150-frame lead-in) and the disc length in seconds, as far as the
// buffer holds them. Returns 1, or 0 when there is no readable disc.
int GetCDDBDiskID(CdHandle handle, std::span<uint32_t> buffer);

// Fills `facts` with what the drive reports of the disc beyond its table of contents, with the
// pregaps and indexes found in its Q subchannel where it has one (a drive, a simulated disc; the
// first search for a disc is kept for the next). Returns 1, or 0 for an unknown handle.
int GetDiscFacts(CdHandle handle, DiscFacts* facts);

// Fills `identity` with what the drive of `handle` says it is (nothing for an image). Returns 1,
// or 0 for an unknown handle.
int GetDriveIdentity(CdHandle handle, DriveIdentity* identity);

// Fills `text` with the CD-Text of the disc of `handle` (empty when it has none). Returns 1, or 0
// for a handle that is not open.
int GetCdText(CdHandle handle, CdText* text);

// Reads buffer->sectorCount sectors from buffer->startSector into the buffer's data area.
// Returns kCdStatusOk or kCdStatusError (then GetAspiLibError tells why).
int ReadCDAudioLBA(CdHandle handle, TrackBuffer* buffer);

// As ReadCDAudioLBA, correcting jitter with `overlap` (room for 3 sectors), which keeps the end
// of the previous request between calls. The read starts 3 sectors early (and ends a sector
// late where audio follows), finds where the previous request's data ends and returns only
// what follows it: buffer->startOffset and buffer->length tell where the new bytes lie in the
// data area. The first read of a track (an empty overlap buffer) and a read that does not follow
// the previous one read plainly. Where no audio follows the request (the end of the disc, a data
// track, the gap before a later session) a read that lands early is read again, so the end of
// the audio is never cut short.
int ReadCDAudioLBAEx(CdHandle handle, TrackBuffer* buffer, TrackBuffer* overlap);

// Opens the door of the drive of `handle`. Returns 1, or 0 when the drive has no door to open
// (a disc image) or the command failed.
int EjectCD(CdHandle handle);

// The last error of this thread's drive calls: our own error number, and the transport status
// (for a real drive the SCSI sense key in its low byte).
int GetAspiLibError();
int GetAspiLibAspiError();

}  // namespace disctrove::platform
