// What a process holds, for leak checks in tests and the benchmark: committed memory and the
// GDI and GDI+ objects alive in the program's owners (Wine answers 0 to GetGuiResources).
#pragma once

#include <windows.h>
#include <psapi.h>

#include "ui/GdiPlus.h"
#include "ui/UniqueHandle.h"

namespace larktest {

// Wine leaves PrivateUsage at 0; the commit charge is what it keeps.
inline SIZE_T committedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

inline long liveGraphicsObjects() {
    return dui::liveGdiPlusObjects() + dui::MemoryDc::live() + dui::BitmapHandle::live() +
           dui::FontHandle::live() + dui::BrushHandle::live() + dui::RegionHandle::live() +
           dui::IconHandle::live();
}

}  // namespace larktest
