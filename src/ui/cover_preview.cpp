#include "ui/cover_preview.h"

#include <QMetaObject>
#include <QPointer>

#include "disc/cover_art.h"

namespace disctrove::ui {

void CoverPreview::Cancel() {
    cancel_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

void CoverPreview::Start(const Settings& settings) {
    Cancel();
    const std::string releaseId = settings.release.releaseId;
    if (!settings.musicBrainz.CoverArt || releaseId.empty() ||
        settings.cover.releaseId == releaseId) {
        return;
    }
    platform::HttpGetRequest request = CoverArtRequest(settings, releaseId);
    cancel_ = false;
    request.cancel = &cancel_;
    thread_ = std::thread([this, request, releaseId] {
        std::optional<std::vector<uint8_t>> picture = FetchCoverArt(request);
        if (!picture || cancel_) {
            return;  // no answer: a rip asks again
        }
        // Queued to the window's thread; the window outlives this thread (it joins it).
        QMetaObject::invokeMethod(
            receiver_,
            [shown = shown_, releaseId, picture = std::move(*picture)]() mutable {
                shown(releaseId, std::move(picture));
            },
            Qt::QueuedConnection);
    });
}

}  // namespace disctrove::ui
