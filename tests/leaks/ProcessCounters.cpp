#include "ProcessCounters.h"

#include <psapi.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace counters {
namespace {

// The system's handle table, as NtQuerySystemInformation class 64 returns it.
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
constexpr ULONG kExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// Wine answers GetProcessHandleCount for another process with 0, but keeps a system handle table
// that says who owns what.
std::optional<DWORD> HandlesInSystemTable(DWORD processId)
{
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
        return std::nullopt;
    std::vector<unsigned char> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(kExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0)
            return std::nullopt;
        break;
    }
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    DWORD count = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i)
        count += table->entries[i].processId == processId ? 1 : 0;
    return count;
}

bool SameHoldings(const ProcessCounters& a, const ProcessCounters& b)
{
    return a.handles == b.handles && a.gdiObjects == b.gdiObjects && a.userObjects == b.userObjects;
}

}  // namespace

ProcessWatch::ProcessWatch(DWORD processId)
    : m_process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, processId))
{
    if (!m_process.IsValid())
        throw std::runtime_error("cannot open the process to read its counters");
}

std::optional<ProcessMemory> ProcessWatch::Memory() const
{
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (::WaitForSingleObject(m_process.Get(), 0) != WAIT_TIMEOUT ||
        !::GetProcessMemoryInfo(m_process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory)))
        return std::nullopt;
    // Wine leaves PrivateUsage of another process at 0 and puts its anonymous resident memory,
    // the nearest it has, in both pagefile fields.
    return ProcessMemory{memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage,
                         memory.PeakPagefileUsage};
}

std::optional<ProcessCounters> ProcessWatch::Read() const
{
    const std::optional<ProcessMemory> memory = Memory();
    ProcessCounters counters;
    if (!memory || !::GetProcessHandleCount(m_process.Get(), &counters.handles))
        return std::nullopt;
    if (counters.handles == 0) {
        const std::optional<DWORD> fromTable = HandlesInSystemTable(::GetProcessId(m_process.Get()));
        if (!fromTable)
            return std::nullopt;
        counters.handles = *fromTable;
    }
    counters.gdiObjects = ::GetGuiResources(m_process.Get(), GR_GDIOBJECTS);
    counters.userObjects = ::GetGuiResources(m_process.Get(), GR_USEROBJECTS);
    counters.memory = *memory;
    return counters;
}

std::optional<ProcessCounters> ProcessWatch::ReadSettled(DWORD settleMs, DWORD timeoutMs) const
{
    std::optional<ProcessCounters> last = Read();
    const DWORD start = ::GetTickCount();
    while (last && ::GetTickCount() - start < timeoutMs) {
        ::Sleep(settleMs);
        const std::optional<ProcessCounters> next = Read();
        if (!next)
            return std::nullopt;
        const bool settled = SameHoldings(*last, *next);
        last = next;
        if (settled)
            break;
    }
    return last;
}

}  // namespace counters
