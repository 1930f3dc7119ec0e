// How the desktop program writes a drive's model and a read offset.
#pragma once

#include <QString>
#include <cstdint>

#include "platform/cdrom/disc_facts.h"

namespace disctrove::ui {

// "PLEXTOR PX-W4012A": the drive's own padded fields, as a user reads them.
QString DriveModelName(const platform::DriveIdentity& identity);

// "+667", "-30", "0".
QString SignedSamples(int32_t samples);

}  // namespace disctrove::ui
