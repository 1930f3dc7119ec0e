// What the CUETools database (CTDB) says of a disc: how the disc is named to it, what its answer
// holds, and the verdict on a rip's checksums.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cdrom/toc.h"

namespace disctrove {

// The disc as the look-up names it: each track's first sector (without the 150-sector lead-in),
// a data track's with a "-" before it, then the lead-out, joined by ":" ("0:15000:-30000:45000").
std::string CtdbToc(const platform::Toc& toc);

// One rip of the disc that the database holds (several pressings or rips may answer one look-up).
struct CtdbEntry {
    std::string id;
    uint32_t crc32 = 0;  // of the whole disc (see CtdbStage)
    int32_t confidence = 0;
    std::vector<uint32_t> trackCrcs;  // per audio track; empty when the entry gives none
    std::string toc;                  // as CtdbToc writes it
};

// The entries of an answer: the attributes of each <entry> under the root <ctdb>. Nothing when
// the answer is no well-formed CTDB answer or an entry lacks its id, checksum, confidence or
// table of contents; no entries when the answer lists none.
std::optional<std::vector<CtdbEntry>> ParseCtdbAnswer(std::string_view xml);

struct CtdbAnswer {
    enum class Kind {
        found,       // the database answered; `entries` may still be empty
        notPresent,  // the database does not know the disc (404)
        failed,      // no answer, a cut or garbled one, a timeout
        stopped,     // the rip's Stop came first
    };
    Kind kind = Kind::failed;
    std::vector<CtdbEntry> entries;
};

struct CtdbVerdict {
    enum class Kind { accurate, differs, notPresent, unknown };
    Kind kind = Kind::unknown;
    int32_t confidence = 0;  // accurate: the summed confidence of the entries that match
};

// The track at `trackPosition` among the disc's audio tracks (from 0), whose checksum is `crc`:
// accurate when an entry's checksum of that track matches, differs when the database has the
// disc but none matches.
CtdbVerdict JudgeCtdbTrack(const CtdbAnswer& answer, size_t trackPosition, uint32_t crc);

// The whole disc, whose checksum is `discCrc` (see CtdbDiscCrc).
CtdbVerdict JudgeCtdbDisc(const CtdbAnswer& answer, uint32_t discCrc);

// "accurate", "differs", "not present" or "unknown".
const char* CtdbVerdictName(CtdbVerdict::Kind kind);

// "accurate (N)", "differs", "not present" or "unknown".
std::string CtdbVerdictText(const CtdbVerdict& verdict);

}  // namespace disctrove
