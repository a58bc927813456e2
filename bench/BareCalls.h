// The bare calls that the worker, its progress dialog, the simulated handheld and the benchmark's
// rapi.dll make between two writes, each timed alone in this kind of process: to tell what the
// platform costs a 32-bit program from what it costs a 64-bit one.
#pragma once

namespace bench {

// One round: a line "program<TAB>call<TAB>microseconds" per call, the median over its batches.
void PrintBareCalls();

}  // namespace bench
