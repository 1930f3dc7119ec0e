#include "cli/offset_commands.h"

#include <cstdio>
#include <stop_token>

#include "app/settings_file.h"
#include "app/settings_path.h"
#include "disc/accuraterip_id.h"
#include "disc/accuraterip_lookup.h"
#include "disc/disc.h"
#include "disc/drive_offsets.h"
#include "platform/system/environment.h"
#include "rip/offset_finder.h"

namespace disctrove::cli {

void ProposeDriveOffset(Session& session, const CliOptions& options) {
    ProgramState& state = session.state;
    const Drive* drive = DriveAt(state.disc, state.options.Cdrom);
    if (options.offset || drive == nullptr || !drive->identity.known() ||
        state.options.driveOffsets.contains(DriveKey(drive->identity)) ||
        (!options.offsetAuto && !state.options.AccurateRip)) {
        return;
    }
    const platform::DriveIdentity& identity = drive->identity;
    const std::string model = identity.vendor + " " + identity.model;
    // Ctrl+C gives up the fetch (an offline machine waits out the timeouts otherwise) and the
    // rip goes on with the offset it has.
    std::stop_source cancel;
    session.interrupts.OnInterrupt([&cancel] { cancel.request_stop(); });
    const auto list =
        LoadDriveOffsets(DriveOffsetsRequest(state.options),
                         platform::UserCacheFolder() + "/DriveOffsets.bin", cancel.get_token());
    session.interrupts.OnInterrupt({});
    const auto listed = FindDriveOffset(list, identity.vendor, identity.model);
    const std::string own = std::to_string(state.options.ReadOffset);
    if (!listed) {
        if (options.offsetAuto) {
            session.terminal.Say("AccurateRip's drive list has no offset for " + model +
                                 ": the rip reads with SECURE/ReadOffset (" + own + ").");
        }
    } else if (options.offsetAuto) {
        state.options.driveOffsets[DriveKey(identity)] = {*listed, OffsetSource::driveDatabase};
        session.terminal.Say("Read offset " + std::to_string(*listed) +
                             ", from AccurateRip's drive list for " + model + ".");
    } else if (*listed != state.options.ReadOffset) {
        session.terminal.Say("AccurateRip's drive list gives " + model + " a read offset of " +
                             std::to_string(*listed) + "; this rip reads with " + own +
                             " (--offset auto takes the list's; offset find checks it with a "
                             "disc).");
    }
}

int FindOffset(Session& session, const CliOptions& options) {
    if (options.arguments.empty() || options.arguments[0] != "find") {
        return UsageError("offset takes \"find\"");
    }
    if (!ReadTheDisc(session)) {
        return kExitFailed;
    }
    ProgramState& state = session.state;
    const Drive& drive = state.disc.drives.at(static_cast<size_t>(state.options.Cdrom));
    OffsetFinding found;
    RunWorker(
        session,
        [&] {
            const auto pressings = FetchAccurateRip(
                AccurateRipRequest(state.options, state.disc),
                ComputeAccurateRipDiscId(drive.toc, drive.discId), session.context.stop);
            found = FindReadOffset(session.context, pressings, [](const std::string& line) {
                std::printf("%s\n", line.c_str());
                std::fflush(stdout);
            });
            return 0;
        },
        [] {});
    if (found.outcome != OffsetFinding::Outcome::found) {
        return kExitFailed;
    }
    const std::string key = DriveKey(drive.identity);
    if (key.empty()) {
        std::printf("A disc image has no drive to save the offset for.\n");
    } else if (SaveDriveOffset(SettingsPath(), key, {found.offset, OffsetSource::detected})) {
        std::printf("Saved for %s in %s\n", key.c_str(), SettingsPath().c_str());
    } else {
        session.terminal.Say("Cannot write the settings file " + SettingsPath());
        return kExitFailed;
    }
    return kExitDone;
}

}  // namespace disctrove::cli
