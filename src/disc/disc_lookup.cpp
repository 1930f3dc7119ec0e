#include "disc/disc_lookup.h"

#include <new>
#include <string>
#include <utility>

#include "disc/cddb_lookup.h"
#include "disc/disc.h"
#include "disc/musicbrainz_lookup.h"

namespace disctrove {

LookupJob LookupJobFor(const Options& options, const DiscState& disc, LookupSource source) {
    LookupJob job{options, std::nullopt, source};
    if (const Drive* drive = DriveAt(disc, options.Cdrom)) {
        job.drive = *drive;
    }
    return job;
}

LookupResult LookUpDisc(const LookupJob& job, std::stop_token stop) {
    const LookupSource source = job.source;
    const bool askMusicBrainz = source == LookupSource::musicBrainz ||
                                (source == LookupSource::automatic && job.options.musicBrainz.Use);
    const Drive* drive = job.drive ? &*job.drive : nullptr;
    try {
        LookupResult result;
        if (askMusicBrainz) {
            MusicBrainzAnswer answer = LookUpMusicBrainz(job.options, drive, stop);
            if (answer.outcome == MusicBrainzOutcome::found) {
                result.releaseCandidates = std::move(answer.releases);
                result.lookupAnswer = LookupAnswer::musicBrainz;
            } else if (answer.outcome == MusicBrainzOutcome::noAnswer) {
                result.lookupUnanswered.emplace_back("MusicBrainz");
            }
        }
        // CDDB when MusicBrainz was not asked, found nothing or did not answer.
        if (source != LookupSource::musicBrainz && result.releaseCandidates.empty() &&
            !stop.stop_requested()) {
            CddbAnswer answer = LookUpCddb(job.options, drive, stop);
            if (answer.outcome == CddbOutcome::found) {
                result.cddbReply = std::move(answer.entry);
                result.lookupAnswer = LookupAnswer::cddb;
            } else if (answer.outcome == CddbOutcome::noAnswer) {
                result.lookupUnanswered.emplace_back("CDDB");
            }
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};  // no memory for the reply: the look-up found nothing
    }
}

DiscLookup::DiscLookup(WorkerNotifications& notifications) : notifications_(notifications) {}

DiscLookup::~DiscLookup() {
    Cancel();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void DiscLookup::Ended(uint64_t lookup) {
    {
        const std::lock_guard lock(mutex_);
        ended_ = lookup;
    }
    // Whoever gets the notification may start the next look-up at once.
    done_ = true;
    notifications_.LookupDone();
}

void DiscLookup::Cancel() {
    stop_.request_stop();
    const std::lock_guard lock(mutex_);
    cancelled_ = started_;
}

void DiscLookup::WaitForCancelled() {
    if (stop_.stop_requested() && thread_.joinable()) {
        thread_.join();  // a cancelled look-up gives up at once
    }
}

bool DiscLookup::Start(const Options& options, const DiscState& disc, LookupSource source) {
    if (!CanStart()) {
        return false;
    }
    if (thread_.joinable()) {
        thread_.join();  // it has ended, or was cancelled and gives up at once
    }
    uint64_t lookup = 0;
    {
        const std::lock_guard lock(mutex_);
        lookup = ++started_;
        drive_ = options.Cdrom;
        const Drive* drive = DriveAt(disc, options.Cdrom);
        discId_ = drive != nullptr ? drive->discId : kNoDiscId;
    }
    // The thread works on copies of its own: the window may refresh the disc or apply new
    // options meanwhile. Its results come back through TakeReply, on the caller's thread.
    LookupJob job = LookupJobFor(options, disc, source);
    result_ = {};
    stop_ = std::stop_source();
    done_ = false;
    thread_ = std::thread([this, lookup, job = std::move(job), stop = stop_.get_token()] {
        result_ = LookUpDisc(job, stop);
        Ended(lookup);
    });
    return true;
}

std::optional<LookupResult> DiscLookup::TakeReply(const Options& options, const DiscState& disc) {
    const std::lock_guard lock(mutex_);
    if (ended_ != started_ || taken_ == started_ || cancelled_ == started_) {
        return std::nullopt;
    }
    taken_ = started_;
    const Drive* drive = DriveAt(disc, drive_);
    if (drive_ != options.Cdrom || drive == nullptr || drive->discId != discId_) {
        return std::nullopt;
    }
    // The thread has ended its look-up (it posted the notification): the results are whole.
    if (thread_.joinable()) {
        thread_.join();
    }
    return std::move(result_);
}

}  // namespace disctrove
