#include "disc/cover_art.h"

#include <charconv>

#include "codecs/cover_picture.h"
#include "disc/lookup_client.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"

namespace disctrove {

namespace {

constexpr size_t kMaxCoverBytes = 16 * 1024 * 1024;

}  // namespace

net::WebRequest CoverArtRequest(const Options& settings, const std::string& releaseId) {
    const MusicBrainzSettings& mb = settings.musicBrainz;
    net::WebRequest request{{}, LookupClient(settings)};
    request.https = mb.Https != 0;
    request.host = mb.CoverServer;
    request.port = request.https ? 443 : 80;
    const size_t colon = mb.CoverServer.rfind(':');
    int32_t port = 0;
    if (colon != std::string::npos) {
        const char* digits = mb.CoverServer.data() + colon + 1;
        const char* end = mb.CoverServer.data() + mb.CoverServer.size();
        const auto parsed = std::from_chars(digits, end, port);
        if (parsed.ec == std::errc{} && parsed.ptr == end && port > 0 && port < 65536) {
            request.host = mb.CoverServer.substr(0, colon);
            request.port = port;
        }
    }
    request.path = "/release/" + releaseId + "/front-500";
    request.client.maxBytes = kMaxCoverBytes;
    return request;
}

std::optional<std::vector<uint8_t>> FetchCoverArt(const net::WebRequest& request,
                                                  std::stop_token stop) {
    net::WebAnswer answer = request.Send(std::move(stop));
    if (!answer.ok() || (answer.status != 200 && answer.status != 404)) {
        return std::nullopt;
    }
    if (answer.status == 404 || !InspectPicture(answer.body)) {
        return std::vector<uint8_t>{};
    }
    return std::move(answer.body);
}

CoverArtFetch::CoverArtFetch(const Options& options, const DiscState& disc, std::stop_token stop)
    : overwrite_(options.Overwrite != 0),
      onStop_(std::move(stop), [this] { stop_.request_stop(); }) {
    const std::string& release = disc.release.releaseId;
    if (!options.musicBrainz.CoverArt || release.empty() ||
        options.musicBrainz.CoverServer.empty()) {
        finished_ = true;
        return;
    }
    releaseId_ = release;
    if (disc.cover.releaseId == release) {
        picture_ = disc.cover.jpeg;
        answered_ = true;
        finished_ = true;
        return;
    }
    // The request is made here, on the rip's thread, so the fetch never reads the settings.
    net::WebRequest request = CoverArtRequest(options, release);
    thread_ = std::thread([this, request = std::move(request), stop = stop_.get_token()] {
        auto picture = FetchCoverArt(request, stop);
        const std::lock_guard lock(mutex_);
        answered_ = picture.has_value();
        picture_ = answered_ ? std::move(*picture) : std::vector<uint8_t>{};
        finished_ = true;
        ended_.notify_all();
    });
}

CoverArtFetch::~CoverArtFetch() {
    if (thread_.joinable()) {
        stop_.request_stop();  // a stopped GET ends at once
        thread_.join();
    }
}

const std::vector<uint8_t>& CoverArtFetch::Wait() {
    // A Stop cancels the fetch, which then ends at once.
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return finished_; });
    return picture_;
}

bool CoverArtFetch::Keep(DiscState& disc, const std::string& folder, std::string& savedAs) {
    const std::vector<uint8_t>& picture = Wait();
    if (!answered_) {
        return true;  // nothing settled: the next rip asks again
    }
    disc.cover = CoverArt{releaseId_, picture};
    const auto info = InspectPicture(picture);
    if (!info) {
        return true;
    }
    const std::string path = folder + kCoverFileStem + info->extension;
    if (!overwrite_ && platform::FileExists(path)) {
        return true;
    }
    if (!platform::WriteWholeFile(path, std::string(picture.begin(), picture.end()))) {
        return false;
    }
    savedAs = path;
    return true;
}

}  // namespace disctrove
