// How a worker thread talks to the program around it: the notifications it posts, the questions
// it asks, and the flags of one run. (The records it works on: codecs/worker_context.h.)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace disctrove {

inline constexpr const char* kCannotCreateOutputMessage = "Cannot create output file";
inline constexpr const char* kWriteFailedMessage =
    "Cannot write to the output file.\nThe disk may be full.";

// kWriteFailedMessage naming the file that could not be written.
std::string WriteFailedMessage(const std::string& path);

// The output of a conversion would replace the file it is made from.
std::string OwnSourceMessage(const std::string& path);

// The numbers the notifications are known by.
inline constexpr int32_t kTrackProgressMessage = 103;
inline constexpr int32_t kWorkFinishedMessage = 108;
inline constexpr int32_t kLookupDoneMessage = 32793;

// Posted by workers; a front end handles them on its own thread and never makes a worker wait.
class WorkerNotifications {
  public:
    virtual ~WorkerNotifications() = default;
    // The track at `position` in the track list (-1 for a conversion's file) has a new status;
    // `status` is a copy, so the receiver never reads a list that may have changed since.
    virtual void TrackProgress(int32_t position, int32_t status) = 0;
    // The worker has ended; `finished` is already set.
    virtual void WorkFinished() = 0;
    // The look-up of the disc (MusicBrainz, CDDB) has ended.
    virtual void LookupDone() = 0;
};

// Results of the Confirm box, with the numbers they are known by.
enum class ConfirmAnswer : int32_t { yes = 6, all = 1119, no = 7 };

// What a Confirm question is about, for front ends that answer some questions by themselves.
enum class ConfirmTopic { overwrite, readError };

// Asked by workers, which wait for the answer.
class WorkerQuestions {
  public:
    virtual ~WorkerQuestions() = default;
    // An information box: caption "Disctrove", information icon, an OK button.
    virtual void Inform(std::string_view text) = 0;
    // The Confirm box: caption "Confirm", buttons "Yes", "All" and "No".
    virtual ConfirmAnswer Confirm(ConfirmTopic topic, std::string_view text) = 0;
};

// Flags that live for one run of a worker.
struct RunFlags {
    bool overwriteAll = false;     // All was answered to an overwrite question
    bool ignoreAllErrors = false;  // All was answered to a read-error question
};

// The overwrite question about `path`.
std::string OverwriteQuestion(const std::string& path);

}  // namespace disctrove
