#include "ui/cover_preview.h"

#include "disc/cover_art.h"

namespace disctrove::ui {

void CoverPreview::Cancel() {
    stop_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::optional<CoverArt> CoverPreview::Take() {
    const std::lock_guard lock(mutex_);
    std::optional<CoverArt> result = std::move(result_);
    result_.reset();
    return result;
}

void CoverPreview::Start(const Options& options, const DiscState& disc) {
    Cancel();
    const std::string releaseId = disc.release.releaseId;
    if (!options.musicBrainz.CoverArt || releaseId.empty() || disc.cover.releaseId == releaseId) {
        return;
    }
    const net::WebRequest request = CoverArtRequest(options, releaseId);
    stop_ = std::stop_source();
    thread_ = std::thread([this, request, releaseId, stop = stop_.get_token()] {
        std::optional<std::vector<uint8_t>> picture = FetchCoverArt(request, stop);
        if (!picture || stop.stop_requested()) {
            return;  // no answer: a rip asks again
        }
        {
            const std::lock_guard lock(mutex_);
            result_ = CoverArt{releaseId, std::move(*picture)};
        }
        emit fetched();
    });
}

}  // namespace disctrove::ui
