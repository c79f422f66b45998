// What a process holds, counted in ways that also work under Wine, where
// GetGuiResources, GetProcessHandleCount and PrivateUsage all answer 0.
// Compare two censuses taken in the same state (same windows shown, same
// zoom) to see whether anything was lost in between.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstddef>
#include <vector>

namespace wintest {

// How many more GDI objects the process could make before the system's
// per-process limit: a census that needs no counters, and drops by one for
// every object lost.
inline int FreeGdiCapacity() {
    std::vector<HBRUSH> brushes;
    for (;;) {
        HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
        if (brush == nullptr || brushes.size() > 100000) {
            break;
        }
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes) {
        ::DeleteObject(brush);
    }
    return static_cast<int>(brushes.size());
}

// Kernel handles held: the counter where there is one, else the value of a
// new handle, which only grows when handles were lost (free slots are used
// lowest first).
inline DWORD HandleLevel() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count != 0) {
        return count;
    }
    HANDLE probe = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ::CloseHandle(probe);
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(probe));
}

// Bytes of all blocks in use on the process's heaps (the C runtime's heap
// among them): exact to the byte, so even one small block lost per cycle
// shows.
inline size_t HeapBytesInUse() {
    std::vector<HANDLE> heaps(::GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    size_t total = 0;
    for (HANDLE heap : heaps) {
        if (!::HeapLock(heap)) {
            continue;
        }
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heap, &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                total += entry.cbData;
            }
        }
        ::HeapUnlock(heap);
    }
    return total;
}

// Private memory charged to the process: PrivateUsage where the system
// counts it; under Wine that is 0, while PagefileUsage follows the private
// pages in use, GDI bitmaps and large blocks outside the heaps included.
inline size_t CommittedBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(),
                                reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters)) {
        return 0;
    }
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

struct ResourceCensus {
    int freeGdi = 0;
    DWORD handles = 0;
    size_t heapBytes = 0;
    size_t committedBytes = 0;

    static ResourceCensus Take() {
        ResourceCensus census;
        census.freeGdi = FreeGdiCapacity();
        census.handles = HandleLevel();
        census.heapBytes = HeapBytesInUse();
        census.committedBytes = CommittedBytes();
        return census;
    }
};

} // namespace wintest
