#include "convert/conversion_batch.h"

#include <algorithm>

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

ConversionSummary RunConversion(const Options&, const ConversionRequest&, ConversionObserver&,
                                WorkerQuestions&, std::stop_token) {
    return {};
}

}  // namespace disctrove
