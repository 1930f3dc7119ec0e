#include "cli/session.h"

#include <cstdio>

#include "app/settings_file.h"
#include "disc/disc.h"
#include "work/worker_thread.h"

namespace disctrove::cli {

int UsageError(const std::string& error) {
    std::fprintf(stderr, "disctrove-cli: %s\nTry 'disctrove-cli --help'.\n", error.c_str());
    return kExitUsage;
}

bool ReadTheDisc(Session& session) {
    if (session.state.disc.drives.empty()) {
        session.terminal.Say("Couldn't find any CD-ROM drives");
        return false;
    }
    ProgramState& records = session.state;
    if (RefreshDisc(records.options, records.disc, records.lookup, records.run) !=
        RefreshResult::ready) {
        session.terminal.Say(kTocErrorMessage);
        return false;
    }
    // Names given for this run are the disc's it reads, whatever disc the stored ones were for.
    const auto given = [&session](const char* key) {
        return session.givenNames.Find("ID3", key).has_value();
    };
    Options unused;
    DiscNames named;
    LoadSettings(unused, named, session.givenNames);
    DiscNames& s = session.state.disc;
    s.Artist = given("Artist") ? named.Artist : s.Artist;
    s.Album = given("Album") ? named.Album : s.Album;
    s.Year = given("Year") ? named.Year : s.Year;
    s.Genre = given("Genre") ? named.Genre : s.Genre;
    return true;
}

// Runs `body` as the desktop program runs its workers (idle priority, ripping set until it
// ends or Ctrl+C stops it: `stop` marks what stopping changes, and the worker is asked to stop).
int RunWorker(Session& session, std::function<int()> body, std::function<void()> stop) {
    WorkerThread worker;
    session.interrupts.OnInterrupt([&session, &worker, stop] {
        session.terminal.Say("Stopping...");
        stop();
        worker.Stop();
    });
    worker.Start([&session, body = std::move(body)](std::stop_token token) {
        session.context.stop = std::move(token);
        return body();
    });
    const int result = worker.Join();
    session.interrupts.OnInterrupt({});
    return result;
}

}  // namespace disctrove::cli
