// qamovup_bench [--runs N] [--slow-runs N] [--link BYTES_PER_SECOND]: complete and cancelled
// revision-ups of the real qamovup.exe against the simulated handheld under three link models,
// driven through the tool's windows, each model after a measure of the platform's floor; prints
// the medians against their goals as a Markdown table. The 250,000 B/s model copies to the
// installer folder only (no memory card), one 8 MB pass of about 33 s per run.
#include "CallLogFigures.h"
#include "DrivenRun.h"
#include "SendFloor.h"

#include "simhandheld/Folder.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using bench::Median;

constexpr unsigned kChunkBytes = 65535;

struct LinkModel {
    const char* name;
    unsigned bytesPerSecond;
    bool copyToCard;
    double stageRatioGoal;  // 0: no goal
};

const LinkModel kModels[] = {
    {"unthrottled", 0, true, 0},
    {"20,000,000 B/s", 20000000, true, 1.15},
    {"250,000 B/s (no card)", 250000, false, 1.005},
};

// What a chunk may cost the worker beyond one bare report.
constexpr double kGapOverFloorMs = 0.15;
constexpr double kCancelSlackMs = 100;
constexpr double kAnswerGoalMs = 50;
constexpr unsigned kCancelAttempts = 3;
// The figures of the 32-bit and the 64-bit tool go into one table.
constexpr const char* kProgram = sizeof(void*) == 4 ? "32-bit" : "64-bit";

struct Row {
    std::string figure;
    std::string measured;
    std::string goal;
    bool hasGoal;
    bool met;
};

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

void PrintRow(const char* model, const Row& row)
{
    std::printf("| %s | %s | %s | %s | %s | %s |\n", kProgram, model, row.figure.c_str(), row.measured.c_str(),
                row.hasGoal ? row.goal.c_str() : "-", row.hasGoal ? (row.met ? "met" : "NOT met") : "-");
    std::fflush(stdout);
}

// Every run of one model, each after a measure of the floor, then its rows; false if any run failed.
bool Measure(simhandheld::Handheld& handheld, const LinkModel& model, unsigned runs)
{
    std::vector<double> floors, ratios, gaps, answers, growths, cancels, cancelGoals;
    for (const bool cancel : {false, true}) {
        for (unsigned n = 0; n < runs; ++n) {
            std::fprintf(stderr, "%s: %s run %u of %u\n", model.name, cancel ? "cancelled" : "complete", n + 1, runs);
            // The desktop's own speed drifts: the floor is taken beside every run, not once.
            floors.push_back(bench::MeasureSendFloorMs());
            // An unthrottled copy can run past its middle between two looks at the dialog: such a
            // cancelled run is tried again.
            bench::RunOutcome run;
            for (unsigned attempt = 0; attempt < kCancelAttempts; ++attempt) {
                run = bench::DriveRun(handheld, {model.bytesPerSecond, model.copyToCard, cancel});
                if (!run.cancelMissed)
                    break;
            }
            if (!run.ok)
                return false;
            answers.push_back(run.slowestAnswerMs);
            if (cancel) {
                cancels.push_back(run.cancelToGoneMs);
                // One chunk's link time: what the link itself took for this run's writes.
                const double chunkMs = model.bytesPerSecond != 0 ? kChunkBytes * 1000.0 / model.bytesPerSecond
                                                                 : Median(run.copies.writeTimesMs);
                cancelGoals.push_back(chunkMs + kCancelSlackMs);
                continue;
            }
            ratios.push_back(run.copies.stageMs / run.copies.writeMs);
            gaps.insert(gaps.end(), run.copies.gapsMs.begin(), run.copies.gapsMs.end());
            growths.push_back(run.peakPrivateBytes - run.idlePrivateBytes);
        }
    }

    const double ratio = Median(ratios);
    PrintRow(model.name, {"transfer stage / link time of its writes", Format("%.4f", ratio),
                          Format("<= %.3f", model.stageRatioGoal), model.stageRatioGoal != 0,
                          ratio <= model.stageRatioGoal});
    const double floorMs = Median(floors);
    PrintRow(model.name, {"floor: a bare synchronous send between two threads (median)", Format("%.3f ms", floorMs),
                          "-", false, false});
    const double gap = Median(gaps);
    PrintRow(model.name, {"worker's time between two writes (median of all gaps)", Format("%.3f ms", gap),
                          Format("<= %.3f ms (floor + 0.15 ms)", floorMs + kGapOverFloorMs), true,
                          gap <= floorMs + kGapOverFloorMs});
    const double cancelMs = Median(cancels), cancelGoal = Median(cancelGoals);
    PrintRow(model.name, {"Cancel pressed to progress dialog gone", Format("%.0f ms", cancelMs),
                          Format("<= %.0f ms (one chunk + 100 ms)", cancelGoal), true, cancelMs <= cancelGoal});
    const double answer = Median(answers), worstAnswer = bench::Largest(answers);
    PrintRow(model.name, {"slowest UI answer in a run (median; worst run)",
                          Format("%.1f ms", answer) + Format("; %.1f ms", worstAnswer),
                          Format("< %.0f ms", kAnswerGoalMs), true, answer < kAnswerGoalMs});
    // Under Wine this is anonymous resident memory, Wine's own included: a figure to compare
    // runs by, with no goal it could be held to.
    const double growth = Median(growths);
    PrintRow(model.name, {"memory at peak of transfer over idle main dialog (Wine's anonymous resident)",
                          Format("%.0f KB", growth / 1024), "-", false, false});
    return true;
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
    const unsigned runs = Option(argc, argv, L"--runs", 5);
    const unsigned slowRuns = Option(argc, argv, L"--slow-runs", 5);
    simhandheld::Handheld handheld(simhandheld::Handheld::TemporaryFolder(L"bench"));
    std::printf("Medians over %u complete and %u cancelled runs per link model (%u each at 250,000 B/s).\n\n",
                runs, runs, slowRuns);
    std::printf("| program | link | figure | measured | goal | met |\n|---|---|---|---|---|---|\n");
    // --link N measures the one link model of N bytes per second (0: unthrottled).
    const unsigned onlyLink = Option(argc, argv, L"--link", ~0u);
    bool ok = true;
    for (const LinkModel& model : kModels) {
        if (onlyLink == ~0u || onlyLink == model.bytesPerSecond)
            ok = Measure(handheld, model, model.bytesPerSecond == 250000 ? slowRuns : runs) && ok;
    }
    simhandheld::RemoveTree(handheld.Folder());
    return ok ? 0 : 1;
}
