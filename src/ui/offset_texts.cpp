#include "ui/offset_texts.h"

namespace disctrove::ui {

QString DriveModelName(const platform::DriveIdentity& identity) {
    return QString::fromStdString(identity.vendor + " " + identity.model).simplified();
}

QString SignedSamples(int32_t samples) {
    return (samples > 0 ? QStringLiteral("+") : QString()) + QString::number(samples);
}

}  // namespace disctrove::ui
