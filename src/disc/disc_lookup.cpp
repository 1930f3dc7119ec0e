#include "disc/disc_lookup.h"

#include <new>
#include <string>
#include <utility>

#include "disc/cddb_lookup.h"
#include "disc/musicbrainz_lookup.h"

namespace disctrove {

void DiscLookupThread(Settings& settings, WorkerNotifications& notifications,
                      std::stop_token stop) {
    settings.cddbReply.clear();
    settings.releaseCandidates.clear();
    settings.lookupUnanswered.clear();
    settings.lookupAnswer = LookupAnswer::none;
    const LookupSource source = settings.lookupSource;
    const bool askMusicBrainz = source == LookupSource::musicBrainz ||
                                (source == LookupSource::automatic && settings.musicBrainz.Use);
    try {
        if (askMusicBrainz) {
            MusicBrainzAnswer answer = LookUpMusicBrainz(settings, stop);
            if (answer.outcome == MusicBrainzOutcome::found) {
                settings.releaseCandidates = std::move(answer.releases);
                settings.lookupAnswer = LookupAnswer::musicBrainz;
            } else if (answer.outcome == MusicBrainzOutcome::noAnswer) {
                settings.lookupUnanswered.emplace_back("MusicBrainz");
            }
        }
        // CDDB when MusicBrainz was not asked, found nothing or did not answer.
        if (source != LookupSource::musicBrainz && settings.releaseCandidates.empty() &&
            !stop.stop_requested()) {
            CddbAnswer answer = LookUpCddb(settings, stop);
            if (answer.outcome == CddbOutcome::found) {
                settings.cddbReply = std::move(answer.entry);
                settings.lookupAnswer = LookupAnswer::cddb;
            } else if (answer.outcome == CddbOutcome::noAnswer) {
                settings.lookupUnanswered.emplace_back("CDDB");
            }
        }
    } catch (const std::bad_alloc&) {
        // No memory for the reply: the look-up found nothing.
        settings.cddbReply.clear();
        settings.releaseCandidates.clear();
        settings.lookupUnanswered.clear();
        settings.lookupAnswer = LookupAnswer::none;
    }
    settings.cddbRunning = 0;
    notifications.LookupDone();
}

DiscLookup::DiscLookup(Settings& settings, WorkerNotifications& notifications)
    : settings_(settings), notifications_(notifications) {}

DiscLookup::~DiscLookup() {
    Cancel();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void DiscLookup::Relay::LookupDone() {
    {
        const std::lock_guard lock(owner_.mutex_);
        owner_.ended_ = lookup_;
    }
    owner_.settings_.cddbRunning = 0;
    // Whoever gets the notification may start the next look-up at once.
    owner_.done_ = true;
    owner_.notifications_.LookupDone();
}

void DiscLookup::Cancel() {
    stop_.request_stop();
    const std::lock_guard lock(mutex_);
    cancelled_ = started_;
}

bool DiscLookup::Start() {
    if (!CanStart()) {
        return false;
    }
    if (thread_.joinable()) {
        thread_.join();  // a cancelled look-up gives up at once
    }
    uint64_t lookup = 0;
    {
        const std::lock_guard lock(mutex_);
        lookup = ++started_;
        drive_ = settings_.Cdrom;
        const auto index = static_cast<size_t>(settings_.Cdrom);
        discId_ = settings_.Cdrom >= 0 && index < settings_.drives.size()
                      ? settings_.drives[index].discId
                      : kNoDiscId;
    }
    // The thread works on a record of its own: the window may refresh the disc or apply new
    // options meanwhile. Its results come back through TakeReply, on the caller's thread.
    job_ = std::make_unique<Settings>();
    static_cast<Options&>(*job_) = settings_;
    static_cast<DiscNames&>(*job_) = settings_;
    static_cast<SessionChoices&>(*job_) = settings_;
    job_->currentTrack = settings_.currentTrack;
    job_->drives = settings_.drives;
    job_->lookupSource = settings_.lookupSource;
    settings_.cddbReply.clear();
    settings_.releaseCandidates.clear();
    settings_.lookupUnanswered.clear();
    settings_.lookupAnswer = LookupAnswer::none;
    stop_ = std::stop_source();
    done_ = false;
    settings_.cddbRunning = 1;
    thread_ = std::thread([this, lookup, &job = *job_, stop = stop_.get_token()] {
        Relay relay(*this, lookup);
        DiscLookupThread(job, relay, stop);
    });
    return true;
}

bool DiscLookup::TakeReply() {
    const std::lock_guard lock(mutex_);
    if (ended_ != started_ || taken_ == started_ || cancelled_ == started_) {
        return false;
    }
    taken_ = started_;
    const auto index = static_cast<size_t>(drive_);
    if (drive_ != settings_.Cdrom || drive_ < 0 || index >= settings_.drives.size() ||
        settings_.drives[index].discId != discId_) {
        return false;
    }
    // The thread has ended its look-up (it posted the notification): the results are whole.
    if (thread_.joinable()) {
        thread_.join();
    }
    settings_.cddbReply = std::move(job_->cddbReply);
    settings_.releaseCandidates = std::move(job_->releaseCandidates);
    settings_.lookupUnanswered = std::move(job_->lookupUnanswered);
    settings_.lookupAnswer = job_->lookupAnswer;
    return true;
}

}  // namespace disctrove
