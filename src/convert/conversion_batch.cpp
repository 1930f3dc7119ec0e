#include "convert/conversion_batch.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "audio/measured_stream.h"
#include "codecs/encoder_sink.h"
#include "codecs/mp3_encoder.h"
#include "codecs/replaygain_tags.h"
#include "codecs/source_tags.h"
#include "codecs/wav_sink.h"
#include "convert/conversion_names.h"
#include "platform/lame/lame_library.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "rip/encoder_pool.h"

namespace disctrove {

size_t ConversionSummary::Count(ConversionOutcome outcome) const {
    return static_cast<size_t>(
        std::count_if(items.begin(), items.end(),
                      [&](const ConversionItem& item) { return item.outcome == outcome; }));
}

bool ConversionSummary::AllWell() const {
    return refused.empty() && Count(ConversionOutcome::failed) == 0 &&
           Count(ConversionOutcome::stopped) == 0;
}

namespace {

bool IsLossyTarget(EncoderKind kind) {
    return kind == kEncoderOgg || kind == kEncoderMp3 || kind == kEncoderWma ||
           kind == kEncoderOpus;
}

// The loudness of the files of one source folder, an album, until its last file has ended.
struct AlbumGain {
    size_t remaining = 0;
    std::vector<std::pair<size_t, std::unique_ptr<LoudnessMeter>>> measured;  // item, meter
};

// What one batch shares between its threads.
class Batch final : public WorkerNotifications {
  public:
    Batch(const Options& options, const ConversionRequest& request, ConversionObserver& observer,
          WorkerQuestions& questions, std::stop_token stop)
        : options_(options),
          request_(request),
          observer_(observer),
          questions_(questions),
          stop_(std::move(stop)),
          overwriteAll_(options.Overwrite != 0) {
        options_.Overwrite = 1;  // the batch asks itself, once for all its threads
    }

    ConversionSummary Run();

    void TrackProgress(int32_t position, int32_t status) override {
        if (position < 0 || status >= kStatusCompleted) {
            return;  // the outcome is told when the item ends
        }
        const std::lock_guard lock(mutex_);
        ConversionItem& item = summary_.items[static_cast<size_t>(position)];
        if (item.percent != status) {
            item.percent = status;
            observer_.Changed(static_cast<size_t>(position), item);
        }
    }
    void WorkFinished() override {}
    void LookupDone() override {}

  private:
    void ReadTags(size_t threads);
    void Plan();
    void Serve();
    // Converts one item; its loudness when it was converted and measured.
    std::unique_ptr<LoudnessMeter> Convert(size_t index,
                                           std::unique_ptr<platform::LameLibrary>& lame,
                                           bool& lameTried, std::string& lameError);
    bool MayWrite(const std::string& output);  // the overwrite question, asked once at a time
    void End(size_t index, ConversionOutcome outcome, std::string reason);
    void Measured(size_t index, std::unique_ptr<LoudnessMeter> meter);

    Options options_;
    const ConversionRequest& request_;
    ConversionObserver& observer_;
    WorkerQuestions& questions_;
    std::stop_token stop_;
    std::mutex mutex_;
    std::mutex askMutex_;
    bool overwriteAll_;  // Overwrite on, or All answered
    ConversionSummary summary_;
    std::atomic<size_t> next_{0};
    bool measureGain_ = false;
    std::map<std::string, AlbumGain> albums_;  // by the source's folder
    // Each item's tags, read once for its name and its file; a cover is kept until the covers
    // kept reach kCoverBudget, later ones are read again when their file is made.
    std::vector<CarriedTags> tags_;
    std::vector<char> coverLater_;
    std::atomic<size_t> coverBytes_{0};
    static constexpr size_t kCoverBudget = 32U << 20U;
};

// Collects what an encoding tells (its failure) instead of showing it; asks nothing.
class ItemQuestions final : public WorkerQuestions {
  public:
    void Inform(std::string_view text) override {
        if (told.empty()) {
            told = text;
        }
    }
    ConfirmAnswer Confirm(ConfirmTopic, std::string_view) override { return ConfirmAnswer::yes; }
    std::string told;
};

std::string Oneline(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

// Tags are read on every encoder thread at once: on a large batch reading them one by one kept
// the other cores idle before the first encoding.
void Batch::ReadTags(size_t threads) {
    tags_.resize(summary_.items.size());
    coverLater_.assign(summary_.items.size(), 0);
    std::atomic<size_t> next{0};
    std::vector<std::jthread> pool;
    for (size_t i = 0; i < threads; ++i) {
        pool.emplace_back([this, &next] {
            platform::SetIdlePriority();
            for (size_t index = next++; index < tags_.size(); index = next++) {
                // After a Stop the tags no longer matter: every item ends as stopped at once.
                if (stop_.stop_requested()) {
                    return;
                }
                try {
                    CarriedTags read = ReadSourceTags(summary_.items[index].source);
                    if (coverBytes_.fetch_add(read.cover.size()) + read.cover.size() >
                        kCoverBudget) {
                        coverLater_[index] = !read.cover.empty();
                        read.cover = {};
                    }
                    tags_[index] = std::move(read);
                } catch (const std::bad_alloc&) {
                    coverLater_[index] = 1;  // read again, and fail then, when its file is made
                }
            }
        });
    }
}

void Batch::Plan() {
    std::map<std::string, size_t> taken;  // output names already given, lower case
    bool lossyToLossy = false;
    for (size_t index = 0; index < summary_.items.size(); ++index) {
        ConversionItem& item = summary_.items[index];
        const ConvertSource& source = item.source;
        std::string output = ConversionOutputPath(
            request_.outdir, request_.nameTemplate, request_.keepTree, source,
            request_.keepTree ? std::vector<TrackTag>() : tags_[index].tags, request_.encoder);
        // Two sources named alike each get a file: the later ones " (2)", " (3)"...
        const size_t seen = ++taken[output];
        if (seen > 1) {
            const auto dot = output.rfind('.');
            output.insert(dot, " (" + std::to_string(seen) + ")");
        }
        item.output = output;
        lossyToLossy =
            lossyToLossy || (IsLossyTarget(request_.encoder) && IsLossy(SourceCodecOf(source)));
    }
    // An MP3 file without its ID3v2 tag has no place for the gains.
    measureGain_ = options_.ReplayGain != 0 && (request_.encoder != kEncoderMp3 ||
                                                (options_.Useid3 != 0 && options_.Id3v2 != 0));
    if (measureGain_) {
        for (const ConversionItem& item : summary_.items) {
            ++albums_[std::filesystem::path(item.source.path).parent_path().string()].remaining;
        }
    }
    observer_.Planned(summary_.items);
    if (lossyToLossy) {
        observer_.Told(kLossyToLossyNotice);
    }
}

bool Batch::MayWrite(const std::string& output) {
    if (!platform::FileExists(output)) {
        return true;
    }
    const std::lock_guard lock(askMutex_);
    if (overwriteAll_) {
        return true;
    }
    const ConfirmAnswer answer =
        questions_.Confirm(ConfirmTopic::overwrite, OverwriteQuestion(output));
    overwriteAll_ = answer == ConfirmAnswer::all;
    return answer != ConfirmAnswer::no;
}

void Batch::End(size_t index, ConversionOutcome outcome, std::string reason) {
    const std::lock_guard lock(mutex_);
    ConversionItem& item = summary_.items[index];
    item.outcome = outcome;
    item.reason = Oneline(std::move(reason));
    if (outcome == ConversionOutcome::converted) {
        item.percent = 100;
    }
    observer_.Changed(index, item);
}

// A file's loudness waits for the others of its folder; the last to end writes the album's.
void Batch::Measured(size_t index, std::unique_ptr<LoudnessMeter> meter) {
    std::vector<std::pair<size_t, std::unique_ptr<LoudnessMeter>>> album;
    {
        const std::lock_guard lock(mutex_);
        AlbumGain& gain = albums_
            [std::filesystem::path(summary_.items[index].source.path).parent_path().string()];
        if (meter) {
            meter->Finish();
            gain.measured.emplace_back(index, std::move(meter));
        }
        if (--gain.remaining > 0) {
            return;
        }
        album = std::move(gain.measured);
    }
    std::vector<const LoudnessMeter*> meters;
    for (const auto& [item, meter] : album) {
        meters.push_back(meter.get());
    }
    const std::optional<Loudness> albumLoudness = LoudnessMeter::Together(meters);
    for (const auto& [item, meter] : album) {
        const std::optional<Loudness> track = meter->Result();
        if (track && albumLoudness &&
            !WriteReplayGain(summary_.items[item].output, request_.encoder, *track,
                             *albumLoudness)) {
            End(item, ConversionOutcome::failed, "Cannot write the ReplayGain tags.");
        }
    }
}

std::unique_ptr<LoudnessMeter> Batch::Convert(size_t index,
                                              std::unique_ptr<platform::LameLibrary>& lame,
                                              bool& lameTried, std::string& lameError) {
    ConversionItem item;
    {
        const std::lock_guard lock(mutex_);
        item = summary_.items[index];
    }
    const std::string& output = item.output;
    if (stop_.stop_requested()) {
        End(index, ConversionOutcome::stopped, "");
        return nullptr;
    }
    if (platform::FileExists(output) && platform::SameFile(item.source.path, output)) {
        End(index, ConversionOutcome::failed, OwnSourceMessage(output));
        return nullptr;
    }
    if (request_.skipExisting && platform::FileExists(output)) {
        End(index, ConversionOutcome::skipped, "already converted");
        return nullptr;
    }
    if (!MayWrite(output)) {
        End(index, ConversionOutcome::skipped, "exists; not replaced");
        return nullptr;
    }
    if (request_.encoder == kEncoderMp3 && !lameTried) {
        lameTried = true;
        ItemQuestions told;
        lame = LoadLame(told);
        lameError = told.told;
    }
    std::unique_ptr<EncoderSink> sink = request_.encoder == kEncoderWav
                                            ? MakeWavSink()
                                            : MakeEncoderSink(request_.encoder, lame.get());
    if (!sink) {
        End(index, ConversionOutcome::failed,
            lameError.empty() ? "No encoder for this format." : lameError);
        return nullptr;
    }
    std::string error;
    std::unique_ptr<PcmStream> stream = OpenConvertStream(
        item.source, error,
        request_.checkSignatures ? FlacSignatureCheck::on : FlacSignatureCheck::off);
    if (!stream) {
        End(index, ConversionOutcome::failed, error);
        return nullptr;
    }
    std::unique_ptr<LoudnessMeter> meter;
    if (measureGain_) {
        const WavHeader format = stream->Format();
        meter = std::make_unique<LoudnessMeter>(format.channels, format.sampleRate);
        if (meter->ok()) {
            stream = std::make_unique<MeasuredStream>(std::move(stream), *meter);
        } else {
            meter.reset();
        }
    }
    CarriedTags carried =
        coverLater_[index] != 0 ? ReadSourceTags(item.source) : std::move(tags_[index]);
    if (!platform::CreateFolderPath(std::filesystem::path(output).parent_path().string())) {
        End(index, ConversionOutcome::failed, kCannotCreateOutputMessage);
        return nullptr;
    }
    {
        const std::lock_guard lock(mutex_);
        summary_.items[index].outcome = ConversionOutcome::running;
        observer_.Changed(index, summary_.items[index]);
    }
    Track track;
    track.index = static_cast<int32_t>(index);
    track.title = std::filesystem::path(item.source.path).stem().string();
    track.encoder = request_.encoder;
    track.format = TrackFormatFor(request_.encoder, options_.formats);
    TrackResult result;
    EncodeJob job{&track, item.source.path, output, {}, &result};
    job.openSource = [&stream] { return PcmSource::OfStream(std::move(stream)); };
    job.carried = &carried;
    job.wholeOrNothing = true;
    DiscState disc;
    const SessionInputs session;
    RunState state;
    ItemQuestions told;
    WorkerContext context{options_, disc, session, state, *this, told};
    context.stop = stop_;
    RunEncode(context, job, false, std::move(sink));
    switch (static_cast<int32_t>(track.status)) {
        case kStatusCompleted:
            End(index, ConversionOutcome::converted, result.encodeNote);
            return meter;
        case kStatusStopped:
            End(index, ConversionOutcome::stopped, "");
            break;
        default:
            End(index, ConversionOutcome::failed,
                told.told.empty() ? "The encoder failed." : told.told);
            break;
    }
    return nullptr;
}

void Batch::Serve() {
    platform::SetIdlePriority();
    std::unique_ptr<platform::LameLibrary> lame;  // one library state per thread
    bool lameTried = false;
    std::string lameError;
    for (size_t index = next_++; index < summary_.items.size(); index = next_++) {
        std::unique_ptr<LoudnessMeter> meter;
        try {
            meter = Convert(index, lame, lameTried, lameError);
        } catch (const std::bad_alloc&) {
            End(index, ConversionOutcome::failed, "Out of memory.");
        }
        if (measureGain_) {
            Measured(index, std::move(meter));  // without one its folder's album goes on
        }
    }
}

ConversionSummary Batch::Run() {
    SourceListing listing = ListConvertSources(request_.paths);
    summary_.refused = std::move(listing.refused);
    for (ConvertSource& source : listing.sources) {
        summary_.items.emplace_back().source = std::move(source);
    }
    const size_t threads =
        std::min(EncoderThreadCount(request_.threads), std::max<size_t>(summary_.items.size(), 1));
    ReadTags(threads);
    Plan();
    {
        std::vector<std::jthread> pool;
        for (size_t i = 0; i < threads; ++i) {
            pool.emplace_back([this] { Serve(); });
        }
    }
    return std::move(summary_);
}

}  // namespace

ConversionSummary RunConversion(const Options& options, const ConversionRequest& request,
                                ConversionObserver& observer, WorkerQuestions& questions,
                                std::stop_token stop) {
    Batch batch(options, request, observer, questions, std::move(stop));
    return batch.Run();
}

}  // namespace disctrove
