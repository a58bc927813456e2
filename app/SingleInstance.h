// One tool per desktop session. Two tools against one handheld undo each other's copies, so a
// second start brings the running tool's window to the front and ends without a word, as Windows
// programs do. The 32-bit and the 64-bit tool use the same name: they exclude each other too.
#pragma once

#include "framework/Handle.h"

class CSingleInstance {
public:
    // True if this start is the session's tool, which it stays while this object lives. False if
    // another one runs: its window has then been brought forward, if it showed one in time.
    bool Claim();

private:
    CHandle m_mutex;
};
