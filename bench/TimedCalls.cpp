#include "TimedCalls.h"

#include "Clock.h"

namespace bench {
namespace {

std::vector<TimedCall> ReadList(const TimedCallList& list)
{
    std::vector<TimedCall> calls;
    if (list.count > kTimedCallsCapacity)
        return calls;
    for (LONG i = 0; i < list.count; ++i)
        calls.push_back({TicksToMs(list.calls[i].startTicks), TicksToMs(list.calls[i].endTicks)});
    return calls;
}

}  // namespace

TimedCalls::TimedCalls()
    : m_mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TimedCallsBlock),
                                     kTimedCallsName))
{
    if (m_mapping.IsValid())
        m_block = static_cast<TimedCallsBlock*>(::MapViewOfFile(m_mapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
}

TimedCalls::~TimedCalls()
{
    if (m_block != nullptr)
        ::UnmapViewOfFile(m_block);
}

void TimedCalls::Clear()
{
    if (m_block == nullptr)
        return;
    for (TimedCallList* list : {&m_block->writes, &m_block->reports, &m_block->paints})
        ::InterlockedExchange(&list->count, 0);
}

ToolCalls TimedCalls::Read() const
{
    if (m_block == nullptr)
        return {};
    return {ReadList(m_block->writes), ReadList(m_block->reports), ReadList(m_block->paints)};
}

}  // namespace bench
