#include "disc/cddb_lookup.h"

#include <array>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/version.h"
#include "disc/musicbrainz_lookup.h"
#include "platform/cdrom/cddb.h"
#include "platform/cdrom/drive_handle.h"

namespace disctrove {

namespace {

using namespace platform;

void SetOptions(const Settings& s) {
    CDDBSetOption(kCddbServer, s.Server, 0);
    CDDBSetOption(kCddbPort, "", s.Port);
    CDDBSetOption(kCddbQueryPath, s.Query, 0);
    CDDBSetOption(kCddbUseProxy, "", s.Useproxy);
    // Level 5 entries carry the DYEAR and DGENRE lines the parser reads.
    CDDBSetOption(kCddbProtocolLevel, "", 5);
    if (s.Useproxy) {
        CDDBSetOption(kCddbProxyServer, s.Proxyserver, 0);
        CDDBSetOption(kCddbProxyPort, "", s.Proxyport);
        const bool login = !s.Username.empty() && !s.Password.empty();
        CDDBSetOption(kCddbProxyLogin, login ? s.Username + ":" + s.Password : std::string(), 0);
    }
    CDDBSetOption(kCddbEmail, s.Email.empty() ? kDefaultCddbEmail : s.Email, 0);
    CDDBSetOption(kCddbClient, std::string(kProgramName) + " " + kProgramVersion, 0);
}

// Puts the entry of the server's first match for the disc into cddbReply; false when there is
// none. `answered` tells whether the server gave whole answers (a disc it does not know too).
bool AskCddb(Settings& settings, bool& answered) {
    answered = false;
    std::array<CddbQueryItem, kMaxCddbMatches> matches{};
    std::vector<char> reply(kCddbReplyBytes, '\0');
    SetOptions(settings);
    const auto drive = static_cast<size_t>(settings.Cdrom);
    platform::DriveHandle handle;
    if (settings.Cdrom >= 0 && drive < settings.drives.size()) {
        handle = platform::DriveHandle(settings.drives[drive].handleRequest);
    }
    if (!handle) {
        answered = true;  // no disc to ask about: nothing was asked
        return false;
    }
    CddbQuery query{static_cast<uint32_t>(matches.size()), matches.data()};
    answered = CDDBQuery(handle.get(), &query) == 1;
    handle.Close();
    // Only the first match is taken; no choice is offered.
    if (answered && query.count > 0) {
        answered = CDDBGetDiskInfo(&matches[0], reply) == 1;
        if (answered) {
            settings.cddbReply = reply.data();
        }
    }
    return !settings.cddbReply.empty();
}

}  // namespace

void CddbLookupThread(Settings& settings, WorkerNotifications& notifications) {
    settings.cddbReply.clear();
    settings.releaseCandidates.clear();
    settings.lookupUnanswered.clear();
    settings.lookupAnswer = LookupAnswer::none;
    const LookupSource source = settings.lookupSource;
    const bool askMusicBrainz = source == LookupSource::musicBrainz ||
                                (source == LookupSource::automatic && settings.musicBrainz.Use);
    const std::atomic<bool>* cancel = CddbCancelFlag();
    try {
        if (askMusicBrainz) {
            MusicBrainzAnswer answer = LookUpMusicBrainz(settings, cancel);
            if (answer.outcome == MusicBrainzOutcome::found) {
                settings.releaseCandidates = std::move(answer.releases);
                settings.lookupAnswer = LookupAnswer::musicBrainz;
            } else if (answer.outcome == MusicBrainzOutcome::noAnswer) {
                settings.lookupUnanswered.emplace_back("MusicBrainz");
            }
        }
        // CDDB when MusicBrainz was not asked, found nothing or did not answer.
        const bool cancelled = cancel != nullptr && cancel->load();
        bool answered = true;
        if (source != LookupSource::musicBrainz && settings.releaseCandidates.empty() &&
            !cancelled) {
            if (AskCddb(settings, answered)) {
                settings.lookupAnswer = LookupAnswer::cddb;
            } else if (!answered) {
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
    notifications.CddbDone();
}

CddbLookup::CddbLookup(Settings& settings, WorkerNotifications& notifications)
    : settings_(settings), notifications_(notifications) {}

CddbLookup::~CddbLookup() {
    Cancel();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void CddbLookup::Relay::CddbDone() {
    {
        const std::lock_guard lock(owner_.mutex_);
        owner_.ended_ = lookup_;
    }
    owner_.settings_.cddbRunning = 0;
    // Whoever gets the notification may start the next look-up at once.
    owner_.done_ = true;
    owner_.notifications_.CddbDone();
}

void CddbLookup::Cancel() {
    cancel_ = true;
    const std::lock_guard lock(mutex_);
    cancelled_ = started_;
}

bool CddbLookup::Start() {
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
    AssignSettings(*job_, settings_);
    job_->drives = settings_.drives;
    job_->lookupSource = settings_.lookupSource;
    settings_.cddbReply.clear();
    settings_.releaseCandidates.clear();
    settings_.lookupUnanswered.clear();
    settings_.lookupAnswer = LookupAnswer::none;
    cancel_ = false;
    done_ = false;
    settings_.cddbRunning = 1;
    thread_ = std::thread([this, lookup, &job = *job_] {
        Relay relay(*this, lookup);
        SetCddbCancelFlag(&cancel_);
        CddbLookupThread(job, relay);
        SetCddbCancelFlag(nullptr);
    });
    return true;
}

bool CddbLookup::TakeReply() {
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
