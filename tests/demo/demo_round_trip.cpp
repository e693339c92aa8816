// The demo's own round trip: the whole registry and drive C: before the tool
// is installed, against the same after the removal script has finished.
#include <string>
#include <vector>

#include "demo/demo.h"
#include "driver/setup_state.h"
#include "driver/snapshot.h"

namespace {

Snapshot Before;

std::string Counted(const SnapshotCount& count)
{
    return std::to_string(count.keys) + " keys, " + std::to_string(count.values) +
           " values, " + std::to_string(count.files) + " files read in " +
           std::to_string(count.registryMs + count.filesMs) + " ms" +
           (count.problem.empty() ? "" : " (incomplete: " + count.problem + ")");
}

}  // namespace

void DemoRoundTripBegin()
{
    // What an earlier demo run left in this prefix is not this run's doing.
    ForgetSetup();
    SnapshotCount count;
    Before = TakeSnapshot(&count);
    Show("Snapshot of the registry and drive C: before the tool is installed: " +
         Counted(count) + "\n");
}

void DemoRoundTripEnd()
{
    SnapshotCount count;
    Snapshot after = TakeSnapshot(&count);
    std::vector<std::string> difference = SnapshotDifference(Before, after);
    Show("\nRound trip: the registry and drive C: now, against the snapshot taken before the "
         "tool was installed (" + Counted(count) + "):");
    if (difference.empty())
        Show("  no difference");
    for (const std::string& line : difference)
        Show("  " + line);
    if (!difference.empty())
        Show("  (empty keys may stay: those setup made on the way to its shell handlers, "
             "which the uninstaller cannot tell from the system's, and the shell's own that "
             "the program group's window made; tests/e2e/round_trip_test.cpp lists what may "
             "differ and why)");
}
