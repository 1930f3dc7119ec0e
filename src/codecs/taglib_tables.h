// TagLib 1.x fills a few name tables on first use without a lock (the ASF and MP4 reverse key
// maps, ID3v2's involved-people map): two encoder threads tagging their first files at once
// could both fill one and crash. FillTagLibTables fills them once, and every caller waits
// until it has; call it before any TagLib use that may run on more than one thread.
#pragma once

namespace disctrove {

void FillTagLibTables();

}  // namespace disctrove
