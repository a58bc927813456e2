// The platform's own cost of one report from the worker: a synchronous SendMessageA from one
// thread to a window of another that answers at once, on the same desktop as the tool. No
// report of the tool's can cost the worker less.
#pragma once

namespace bench {

// How the receiving window answers a send.
enum class Answer {
    AtOnce,             // returns at once: the floor
    EarlyReplyAndYield  // replies, then yields the processor, as the progress dialog does
};

// The median of `sends` such round trips, each after the receiving thread has gone idle again.
double MeasureSendFloorMs(unsigned sends = 500, Answer answer = Answer::AtOnce);

}  // namespace bench
