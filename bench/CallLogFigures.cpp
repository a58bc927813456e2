#include "CallLogFigures.h"

#include <algorithm>

namespace bench {

CopyFigures FiguresOf(const std::vector<simhandheld::CallRecord>& calls)
{
    CopyFigures figures;
    const simhandheld::CallRecord* first = nullptr;
    const simhandheld::CallRecord* last = nullptr;
    const auto endCopy = [&] {
        if (first != nullptr)
            figures.stageMs += (last->endMicros - first->startMicros) / 1000.0;
        first = last = nullptr;
    };
    for (const simhandheld::CallRecord& call : calls) {
        if (call.function == L"CeCreateFile") {
            endCopy();
            continue;
        }
        if (call.function != L"CeWriteFile")
            continue;
        const double writeMs = (call.endMicros - call.startMicros) / 1000.0;
        figures.writeMs += writeMs;
        figures.writeTimesMs.push_back(writeMs);
        if (last != nullptr)
            figures.gapsMs.push_back((call.startMicros - last->endMicros) / 1000.0);
        if (first == nullptr)
            first = &call;
        last = &call;
    }
    endCopy();
    return figures;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    if (values.size() % 2 == 1)
        return values[middle];
    const double upper = values[middle];
    return (upper + *std::max_element(values.begin(), values.begin() + middle)) / 2;
}

double Largest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

}  // namespace bench
