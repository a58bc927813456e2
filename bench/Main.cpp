// qamovup_bench [--runs N] [--slow-runs N] [--link BYTES_PER_SECOND]: complete and cancelled
// revision-ups of the real qamovup.exe against the simulated handheld under three link models,
// driven through the tool's windows, each run after a measure of the platform's floor; prints each
// figure's minimum, median and maximum over the runs against its goal as rows of a Markdown table.
// The 250,000 B/s model copies to the installer folder only (no memory card), one 8 MB pass of
// about 33 s per complete run.
// qamovup_bench --bare-calls: one round of the bare calls between two writes, timed alone.
#include "BareCalls.h"
#include "CallLogFigures.h"
#include "DrivenRun.h"
#include "SendFloor.h"

#include "simhandheld/Folder.h"
#include "worker/HandheldNames.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using bench::Median;

struct LinkModel {
    const char* name;
    unsigned bytesPerSecond;
    bool copyToCard;
    double shareGoal;  // 0: no goal
    // Each percentage lasts long enough for a person to see it, so the bar must show every one.
    bool everyPercentShown;
};

const LinkModel kModels[] = {
    {"unthrottled", 0, true, 0, false},
    {"20,000,000 B/s", 20000000, true, 1.10, false},
    {"250,000 B/s (no card)", 250000, false, 1.005, true},
};

// What a chunk may cost the worker beyond one bare report: most chunks, and nine in ten.
constexpr double kGapOverFloorMs = 0.15;
constexpr double kNinetiethGapOverFloorMs = 0.3;
constexpr double kCancelSlackMs = 100;
constexpr double kAnswerGoalMs = 50;
// An unthrottled installer copy lasts about a tenth of a second, in which the bar is painted only a
// few times: several tries may pass before a Cancel in its middle comes in time.
constexpr unsigned kCancelAttempts = 10;
// The figures of the 32-bit and the 64-bit tool go into one table.
constexpr const char* kProgram = sizeof(void*) == 4 ? "32-bit" : "64-bit";

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

// One figure of one link model: a value per run, and that run's goal where the figure has one.
class Figure {
public:
    Figure(const char* label, const char* format) : m_label(label), m_format(format) {}

    // goalRule: how the goal is set, e.g. "floor + 0.15 ms"; strict: the value must stay below it.
    Figure& Goal(const char* goalRule, bool strict = false)
    {
        m_goalRule = goalRule;
        m_strict = strict;
        return *this;
    }
    void Add(double value, double goal = 0)
    {
        m_values.push_back(value);
        m_goals.push_back(goal);
    }

    // | program | link | figure | min | median | max | goal | met at the median | runs it held in |
    void Print(const char* model) const
    {
        const std::vector<double>& v = m_values;
        std::printf("| %s | %s | %s | %s | %s | %s | ", kProgram, model, m_label, Value(bench::Smallest(v)).c_str(),
                    Value(Median(v)).c_str(), Value(bench::Largest(v)).c_str());
        if (m_goalRule == nullptr || v.empty()) {
            std::printf("- | - | - |\n");
        } else {
            unsigned held = 0;
            for (size_t i = 0; i < v.size(); ++i)
                held += Holds(v[i], m_goals[i]) ? 1 : 0;
            const double goal = Median(m_goals);
            std::printf("%s %s (%s) | %s | %u of %zu |\n", m_strict ? "<" : "<=", Value(goal).c_str(), m_goalRule,
                        Holds(Median(v), goal) ? "met" : "NOT met", held, v.size());
        }
        std::fflush(stdout);
    }

private:
    bool Holds(double value, double goal) const { return m_strict ? value < goal : value <= goal; }
    std::string Value(double value) const { return m_values.empty() ? "n/a" : Format(m_format, value); }

    const char* m_label;
    const char* m_format;
    const char* m_goalRule = nullptr;
    bool m_strict = false;
    std::vector<double> m_values;
    std::vector<double> m_goals;
};

// Every run of one model, each after a measure of the floor, then its rows; false if any run failed.
bool Measure(simhandheld::Handheld& handheld, bench::TimedCalls& timed, const LinkModel& model, unsigned runs)
{
    // The unthrottled link has no link time to hold the tool's share to.
    Figure share("the tool's share: (link time + tool's own time between writes) / link time", "%.4f");
    if (model.shareGoal != 0)
        share.Goal("the link's goal");
    Figure stage("whole transfer stage / link time of its writes, from the handheld's log (information)", "%.4f");
    Figure gap("tool's own time between two writes (median of a run)", "%.3f ms");
    gap.Goal("floor + 0.15 ms");
    Figure gap90("tool's own time between two writes (90th percentile of a run)", "%.3f ms");
    gap90.Goal("floor + 0.3 ms");
    Figure gap99("tool's own time between two writes (99th percentile of a run)", "%.3f ms");
    Figure metPaint("gaps between two writes whose progress report met a paint in progress (% of a run's gaps)",
                    "%.1f %%");
    Figure skipped("percentages the bar passed over, as read every 15 ms (count in a run)", "%.0f");
    if (model.everyPercentShown)
        skipped.Goal("every percentage shown");
    Figure floor("floor: a bare synchronous send between two threads (median of a run)", "%.3f ms");
    Figure beyond("time in a write call beyond the link model's: the simulated handheld's own (median of a run)",
                  "%.3f ms");
    Figure cancelFigure("Cancel pressed to progress dialog gone", "%.0f ms");
    cancelFigure.Goal("one chunk + 100 ms");
    Figure answer("slowest UI answer in a run", "%.1f ms");
    answer.Goal("every run", true);
    Figure memory("memory at peak of transfer over idle main dialog (Wine's anonymous resident)", "%.0f KB");

    for (const bool cancel : {false, true}) {
        for (unsigned n = 0; n < runs; ++n) {
            std::fprintf(stderr, "%s %s: %s run %u of %u\n", kProgram, model.name, cancel ? "cancelled" : "complete",
                         n + 1, runs);
            // The desktop's own speed drifts: the floor is taken beside every run, not once.
            const double floorMs = bench::MeasureSendFloorMs();
            floor.Add(floorMs);
            // An unthrottled copy can end before a Cancel in its middle comes: such a cancelled run
            // is tried again.
            bench::RunOutcome run;
            for (unsigned attempt = 0; attempt < kCancelAttempts; ++attempt) {
                run = bench::DriveRun(handheld, {model.bytesPerSecond, model.copyToCard, cancel}, timed);
                if (!run.cancelMissed)
                    break;
            }
            if (!run.ok)
                return false;
            answer.Add(run.slowestAnswerMs, kAnswerGoalMs);
            skipped.Add(run.skippedPercents, 0);
            // The writes before a Cancel are written as any others: every run counts for them.
            const bench::CopyFigures& copies = run.copies;
            stage.Add(copies.stageMs / copies.writeMs);
            if (copies.Timed()) {
                if (copies.linkMs > 0)
                    share.Add((copies.linkMs + copies.toolMs) / copies.linkMs, model.shareGoal);
                gap.Add(Median(copies.toolGapsMs), floorMs + kGapOverFloorMs);
                gap90.Add(bench::Percentile(copies.toolGapsMs, 90), floorMs + kNinetiethGapOverFloorMs);
                gap99.Add(bench::Percentile(copies.toolGapsMs, 99));
                if (copies.paintsNoted && !copies.toolGapsMs.empty())
                    metPaint.Add(100.0 * copies.gapsMeetingPaint / copies.toolGapsMs.size());
                beyond.Add(Median(copies.beyondLinkMs));
            }
            if (cancel) {
                // One chunk's link time: what the link itself took for this run's writes.
                const double chunkMs = model.bytesPerSecond != 0 ? handheld::kChunkBytes * 1000.0 / model.bytesPerSecond
                                                                 : Median(copies.writeTimesMs);
                cancelFigure.Add(run.cancelToGoneMs, chunkMs + kCancelSlackMs);
            } else {
                memory.Add((run.peakPrivateBytes - run.idlePrivateBytes) / 1024);
            }
        }
    }

    for (const Figure* figure :
         {&share, &stage, &gap, &gap90, &gap99, &metPaint, &floor, &beyond, &cancelFigure, &answer, &skipped, &memory})
        figure->Print(model.name);
    return true;
}

bool HasFlag(int argc, wchar_t** argv, const wchar_t* name)
{
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], name) == 0)
            return true;
    }
    return false;
}

unsigned Option(int argc, wchar_t** argv, const wchar_t* name, unsigned fallback)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], name) == 0)
            return static_cast<unsigned>(std::wcstoul(argv[i + 1], nullptr, 10));
    }
    return fallback;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (HasFlag(argc, argv, L"--bare-calls")) {
        bench::PrintBareCalls();
        return 0;
    }
    const unsigned runs = Option(argc, argv, L"--runs", 5);
    const unsigned slowRuns = Option(argc, argv, L"--slow-runs", 4);
    simhandheld::Handheld handheld(simhandheld::Handheld::TemporaryFolder(L"bench"));
    bench::TimedCalls timed;
    // --link N measures the one link model of N bytes per second (0: unthrottled).
    const unsigned onlyLink = Option(argc, argv, L"--link", ~0u);
    bool ok = true;
    for (const LinkModel& model : kModels) {
        if (onlyLink == ~0u || onlyLink == model.bytesPerSecond)
            ok = Measure(handheld, timed, model, model.bytesPerSecond == 250000 ? slowRuns : runs) && ok;
    }
    simhandheld::RemoveTree(handheld.Folder());
    return ok ? 0 : 1;
}
