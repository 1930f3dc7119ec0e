// The front cover of the chosen MusicBrainz release, from the Cover Art Archive: fetched on a
// thread of its own while a rip reads the disc, embedded in the files the rip tags, and saved
// beside them.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "app/settings.h"
#include "net/web_client.h"

namespace disctrove {

// The name of the saved cover, without its extension (".jpg", or ".png" for a PNG picture).
inline constexpr const char* kCoverFileStem = "cover";

// The request for the 500-pixel front cover of `releaseId`: CoverServer ("host" or
// "host:port"; without a port, 443 with Https on, else 80), through the look-up client (see
// LookupClient).
net::WebRequest CoverArtRequest(const Options& settings, const std::string& releaseId);

// The front cover; empty when the release has none (404) or the answer is no JPEG or PNG
// picture; nothing when no whole answer came (no connection, a timeout, a server error, `stop`
// asked to stop), so a later rip asks again.
std::optional<std::vector<uint8_t>> FetchCoverArt(const net::WebRequest& request,
                                                  std::stop_token stop = {});

// The cover of one rip. It is fetched when CoverArt is on, a release is chosen and its cover is
// not known yet; a cover known from an earlier rip of the release is taken as it is. The
// thread is cancelled as soon as `stop` (the rip's Stop) is asked to stop, and cancelled and
// waited for when the object ends, so no fetch outlives its rip.
class CoverArtFetch {
  public:
    CoverArtFetch(const Options& options, const DiscState& disc, std::stop_token stop);
    ~CoverArtFetch();
    CoverArtFetch(const CoverArtFetch&) = delete;
    CoverArtFetch& operator=(const CoverArtFetch&) = delete;

    // The picture for the files of the rip, empty when there is none. Waits for the fetch (a
    // Stop cancels it). Any thread may ask.
    const std::vector<uint8_t>& Wait();

    // After the rip: the cover becomes the release's known cover (disc.cover) and, when there
    // is one, is saved whole in `folder` (ending in "/") as cover.jpg, and `savedAs` names it.
    // An existing file of that name is kept when Overwrite was off when the rip started. False
    // when the file could not be written.
    bool Keep(DiscState& disc, const std::string& folder, std::string& savedAs);

  private:
    std::string releaseId_;  // "" when the rip has no cover to look for
    bool overwrite_ = false;
    std::stop_source stop_;
    std::stop_callback<std::function<void()>> onStop_;  // the rip's Stop cancels the fetch
    std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;  // picture_ and answered_ are final (guarded by mutex_)
    bool answered_ = false;  // the server's answer (or an earlier one) settled the cover
    std::vector<uint8_t> picture_;
    std::thread thread_;
};

}  // namespace disctrove
