// The flags of the work under way, which a worker thread writes while the front end reads them.
#pragma once

#include "app/shared_int.h"

namespace disctrove {

struct RunState {
    SharedInt currentTrack = -1;  // the track being ripped, or the one Track settings edits
    SharedInt lookupRunning = 0;  // a look-up of the disc's names runs
    SharedInt ripping = 0;        // a rip or conversion runs, as the front end shows it
                                  // (the stop itself is its owner's Stop: WorkerThread)
    SharedInt finished = 1;       // the last rip or conversion has ended
};

}  // namespace disctrove
