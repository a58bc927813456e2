#include "CallLogFigures.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>

namespace bench {
namespace {

// The number after `name` in text, or none.
std::optional<double> NumberAfter(const std::wstring& text, const wchar_t* name)
{
    const size_t at = text.find(name);
    if (at == std::wstring::npos)
        return std::nullopt;
    return std::wcstod(text.c_str() + at + std::wcslen(name), nullptr);
}

// The bytes a write moved: its logged result ("TRUE written=65535"), else what it was asked to
// write ("bytes=65535").
double WrittenBytes(const simhandheld::CallRecord& call)
{
    return NumberAfter(call.result, L"written=").value_or(NumberAfter(call.arguments, L" bytes=").value_or(0));
}

}  // namespace

CopyFigures FiguresOf(const std::vector<simhandheld::CallRecord>& calls, const LinkModelTime& link,
                      const std::vector<TimedWrite>& timed)
{
    CopyFigures figures;
    const simhandheld::CallRecord* first = nullptr;
    const simhandheld::CallRecord* last = nullptr;
    const auto endCopy = [&] {
        if (first != nullptr)
            figures.stageMs += (last->endMicros - first->startMicros) / 1000.0;
        first = last = nullptr;
    };
    std::vector<double> linkTimes;
    std::vector<bool> startsCopy;
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
        linkTimes.push_back(link.CallMs(WrittenBytes(call)));
        figures.linkMs += linkTimes.back();
        startsCopy.push_back(first == nullptr);
        if (first == nullptr)
            first = &call;
        last = &call;
    }
    endCopy();

    // The tool's side noted the same writes in the same order, or its figures mean nothing.
    if (timed.size() != linkTimes.size())
        return figures;
    for (size_t i = 0; i < timed.size(); ++i) {
        figures.beyondLinkMs.push_back(timed[i].exitMs - timed[i].entryMs - linkTimes[i]);
        if (startsCopy[i])
            continue;
        figures.toolGapsMs.push_back(timed[i].entryMs - timed[i - 1].exitMs);
        figures.toolMs += figures.toolGapsMs.back();
    }
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

double Smallest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

}  // namespace bench
