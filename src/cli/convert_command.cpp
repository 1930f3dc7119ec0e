#include "cli/convert_command.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "cli/terminal.h"
#include "convert/conversion_batch.h"
#include "platform/system/files.h"
#include "platform/system/text.h"
#include "rip/encoder_pool.h"

namespace disctrove::cli {

namespace {

// A field of a line for scripts: no tab or line break of its own.
std::string Field(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return platform::WithoutControls(text);
}

std::string Duration(double seconds) {
    const auto whole = std::max(1L, static_cast<long>(seconds + 0.5));
    if (whole < 60) {
        return std::to_string(whole) + " s";
    }
    return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
}

class TerminalObserver final : public ConversionObserver {
  public:
    explicit TerminalObserver(Terminal& terminal)
        : terminal_(terminal), start_(std::chrono::steady_clock::now()) {}

    void Planned(const std::vector<ConversionItem>& items) override {
        const std::lock_guard lock(mutex_);
        percent_.assign(items.size(), 0);
        ended_.assign(items.size(), false);
    }

    void Changed(size_t index, const ConversionItem& item) override {
        const std::lock_guard lock(mutex_);
        const std::string source =
            Field(item.source.path) +
            (item.source.track >= 0 ? "#" + std::to_string(item.source.track) : std::string());
        switch (item.outcome) {
            case ConversionOutcome::waiting:
                return;
            case ConversionOutcome::running:
                percent_[index] = item.percent;
                terminal_.Progress(static_cast<int32_t>(index), SourceDisplayName(item.source),
                                   item.percent);
                break;
            case ConversionOutcome::converted:
                End(index, "CONVERTED\t" + source + "\t" + Field(item.output) +
                               (item.reason.empty() ? "" : "\t" + Field(item.reason)));
                break;
            case ConversionOutcome::skipped:
                End(index,
                    "SKIPPED\t" + source + "\t" + Field(item.output) + "\t" + Field(item.reason));
                break;
            case ConversionOutcome::failed:
                End(index, "FAILED\t" + source + "\t" + Field(item.reason));
                break;
            case ConversionOutcome::stopped:
                End(index, "STOPPED\t" + source);
                break;
        }
        terminal_.SetOverall(Overall());
    }

    void Told(const std::string& notice) override { terminal_.Say(notice); }

  private:
    void End(size_t index, const std::string& line) {
        if (!ended_[index]) {
            ended_[index] = true;
            ++done_;
        }
        percent_[index] = 100;
        terminal_.EndProgress(static_cast<int32_t>(index), line);
    }

    // "12 of 40 files — about 1 min 5 s left"
    std::string Overall() const {
        const size_t total = percent_.size();
        double share = 0;
        for (const int32_t percent : percent_) {
            share += percent / 100.0;
        }
        std::string line = std::to_string(done_) + " of " + std::to_string(total) + " files";
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        if (total > 0 && share > 0 && elapsed > 2 && done_ < total) {
            line += " \u2014 about " + Duration(elapsed * (total - share) / share) + " left";
        }
        return line;
    }

    Terminal& terminal_;
    std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    std::vector<int32_t> percent_;
    std::vector<bool> ended_;
    size_t done_ = 0;
};

}  // namespace

int ConvertFiles(Session& session, const CliOptions& options) {
    ProgramState& state = session.state;
    ConversionRequest request;
    request.paths = options.arguments;
    request.encoder = options.encoder.value_or(state.options.WAVEncoder);
    request.outdir = options.outdir.value_or(state.options.Outfolder);
    if (request.outdir.empty()) {
        request.outdir = ".";
    }
    request.nameTemplate = options.templateText.value_or("");
    request.threads = options.threads.value_or(state.options.EncoderThreads);
    request.keepTree = options.keepTree;
    request.skipExisting = options.skipExisting;
    request.checkSignatures = options.checkSignatures || state.options.convert.CheckSignatures != 0;
    session.terminal.SetAnswers(options.answerOverwrite, std::nullopt);
    TerminalObserver observer(session.terminal);
    ConversionSummary summary;
    state.run.ripping = 1;
    state.run.finished = 0;
    RunWorker(
        session,
        [&] {
            summary = RunConversion(state.options, request, observer, session.terminal,
                                    session.context.stop);
            return 0;
        },
        [&state] { state.run.ripping = 0; });
    session.terminal.WorkFinished();
    for (const auto& [path, reason] : summary.refused) {
        std::printf("FAILED\t%s\t%s\n", Field(path).c_str(), Field(reason).c_str());
    }
    std::printf(
        "TOTAL\t%zu\t%zu\t%zu\t%zu\n", summary.Count(ConversionOutcome::converted),
        summary.Count(ConversionOutcome::skipped),
        summary.Count(ConversionOutcome::failed) + summary.refused.size(),
        summary.Count(ConversionOutcome::stopped) + summary.Count(ConversionOutcome::waiting));
    return summary.AllWell() && summary.Count(ConversionOutcome::waiting) == 0 ? kExitDone
                                                                               : kExitFailed;
}

}  // namespace disctrove::cli
