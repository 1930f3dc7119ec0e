// Converting many files at once: the sources found in the files and folders given, each encoded
// into the chosen format on its own encoder thread, with its tags and cover carried over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include "app/formats.h"
#include "app/options.h"
#include "codecs/convert_source.h"
#include "work/worker_interfaces.h"

namespace disctrove {

struct ConversionRequest {
    std::vector<std::string> paths;  // files and folders, as ListConvertSources takes them
    EncoderKind encoder = kEncoderFlac;
    std::string outdir;
    // How the new files are named, from their tags (ConversionNameCodes); "" the default.
    std::string nameTemplate;
    int32_t threads = 0;           // 0: one per processor core
    bool keepTree = false;         // mirror the source folders below outdir instead of the template
    bool skipExisting = false;     // a source whose new file exists is skipped, not asked about
    bool checkSignatures = false;  // FLAC sources are compared with their MD5 signature (slower)
};

enum class ConversionOutcome { waiting, running, converted, skipped, failed, stopped };

struct ConversionItem {
    ConvertSource source;
    std::string output;  // the file it becomes ("" when it could not be named)
    ConversionOutcome outcome = ConversionOutcome::waiting;
    int32_t percent = 0;
    std::string reason;  // why it was skipped or failed; what the encoder made otherwise
};

// What the front end hears of a batch. Called from the batch's threads: a front end passes it
// on to its own thread, and never makes the batch wait.
class ConversionObserver {
  public:
    virtual ~ConversionObserver() = default;
    // Once, before any file is converted: what will be converted, in order.
    virtual void Planned(const std::vector<ConversionItem>& items) = 0;
    // An item began, made progress or ended; `item` is a copy.
    virtual void Changed(size_t index, const ConversionItem& item) = 0;
    // Said once per batch: a lossy source converted into a lossy format.
    virtual void Told(const std::string& notice) = 0;
};

struct ConversionSummary {
    std::vector<ConversionItem> items;
    // Paths given or found that are no source at all: (path, reason).
    std::vector<std::pair<std::string, std::string>> refused;
    size_t Count(ConversionOutcome outcome) const;
    // Whether every item was converted or skipped and nothing was refused.
    bool AllWell() const;
};

// Runs a batch to its end (or until `stop`): a file stopped midway is removed, so what the batch
// leaves are whole files. `options` give each format's settings (formats), ReplayGain (measured
// anew; one album per source folder) and Overwrite. `questions` answers the overwrite question
// (asked one at a time); failures go into the items, not to `questions`.
ConversionSummary RunConversion(const Options& options, const ConversionRequest& request,
                                ConversionObserver& observer, WorkerQuestions& questions,
                                std::stop_token stop);

inline constexpr const char* kLossyToLossyNotice =
    "Some sources are coded lossily already; converting them into a lossy format loses more.";

}  // namespace disctrove
