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

// Whether the tool's progress report sent between `from` and `to` found the dialog painting: the
// report then waited for the paint to end.
bool ReportMetAPaint(const ToolCalls& tool, double from, double to)
{
    for (const TimedCall& report : tool.reports) {
        if (report.startMs < from || report.startMs > to)
            continue;
        for (const TimedCall& paint : tool.paints) {
            if (paint.startMs <= report.startMs && report.startMs < paint.endMs)
                return true;
        }
    }
    return false;
}

}  // namespace

CopyFigures FiguresOf(const std::vector<simhandheld::CallRecord>& calls, const LinkModelTime& link,
                      const ToolCalls& tool)
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
    const std::vector<TimedCall>& timed = tool.writes;
    if (timed.size() != linkTimes.size())
        return figures;
    figures.paintsNoted = !tool.paints.empty();
    for (size_t i = 0; i < timed.size(); ++i) {
        figures.beyondLinkMs.push_back(timed[i].endMs - timed[i].startMs - linkTimes[i]);
        if (startsCopy[i])
            continue;
        figures.toolGapsMs.push_back(timed[i].startMs - timed[i - 1].endMs);
        figures.toolMs += figures.toolGapsMs.back();
        if (ReportMetAPaint(tool, timed[i - 1].endMs, timed[i].startMs))
            ++figures.gapsMeetingPaint;
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

double Percentile(std::vector<double> values, unsigned percent)
{
    if (values.empty())
        return 0;
    const size_t rank = (values.size() * percent + 99) / 100;
    const size_t at = rank > 0 ? rank - 1 : 0;
    std::nth_element(values.begin(), values.begin() + at, values.end());
    return values[at];
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
