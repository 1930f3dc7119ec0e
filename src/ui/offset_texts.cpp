#include "ui/offset_texts.h"

#include "disc/accuraterip_database.h"

namespace disctrove::ui {

QString DriveModelName(const platform::DriveIdentity& identity) {
    return QString::fromStdString(identity.vendor + " " + identity.model).simplified();
}

QString SignedSamples(int32_t samples) {
    return QString::fromStdString(SignedOffsetText(samples));
}

}  // namespace disctrove::ui
