// The icons of the desktop program: drawn here, or taken from the desktop's icon theme where it
// has a fitting one.
#pragma once

#include <QIcon>

#include "app/formats.h"

namespace disctrove::skin {

enum class CommandIcon {
    refresh,
    cddb,
    rip,
    stop,
    trackSettings,
    options,
    markAll,
    play,
    playerStop,
    previous,
    next,
    eject,
    browse,       // the folder button beside a path
    startWork,    // a conversion's Start button
    stopWork,     // its Stop button
    closeDialog,  // its Close button
    dismiss,      // closes a bar above the track list
};

QIcon AppIcon();
QIcon EncoderIcon(EncoderKind kind);
QIcon IconFor(CommandIcon command);

}  // namespace disctrove::skin
