#include "WriteTimes.h"

#include "Clock.h"

namespace bench {

WriteTimes::WriteTimes()
    : m_mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(WriteTimesBlock),
                                     kWriteTimesName))
{
    if (m_mapping.IsValid())
        m_block = static_cast<WriteTimesBlock*>(::MapViewOfFile(m_mapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
}

WriteTimes::~WriteTimes()
{
    if (m_block != nullptr)
        ::UnmapViewOfFile(m_block);
}

void WriteTimes::Clear()
{
    if (m_block != nullptr)
        ::InterlockedExchange(&m_block->count, 0);
}

std::vector<TimedWrite> WriteTimes::Read() const
{
    std::vector<TimedWrite> writes;
    if (m_block == nullptr || m_block->count > kWriteTimesCapacity)
        return writes;
    for (LONG i = 0; i < m_block->count; ++i)
        writes.push_back({TicksToMs(m_block->writes[i].entryTicks), TicksToMs(m_block->writes[i].exitTicks)});
    return writes;
}

}  // namespace bench
