// MinGW's thread library (winpthread, linked statically into every i686 program and library)
// reads the clock with GetTickCount64, which Windows XP lacks: a program that imports it does not
// start there. Its import slot is defined here instead, so the linker never takes the function
// from kernel32.dll: the slot points at a function that calls GetTickCount64 where Windows has
// it (Vista and later) and otherwise extends GetTickCount's 32-bit count, which wraps every 49.7
// days, to 64 bits. Built into i686 programs only (see the top CMakeLists.txt).
#include <windows.h>

namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();

// 0: not looked up yet; 1: found (g_real); 2: absent. Two threads may both look it up: they
// find the same answer.
volatile LONG g_state = 0;
TickCount64Fn g_real = nullptr;

// The wrap-around count kept by hand, under a spin lock: no CRITICAL_SECTION to initialise
// before the thread library's first call.
volatile LONG g_lock = 0;
DWORD g_last = 0;
ULONGLONG g_high = 0;

ULONGLONG ExtendedTickCount() {
  while (InterlockedExchange(&g_lock, 1) != 0) Sleep(0);
  const DWORD now = GetTickCount();
  if (now < g_last) g_high += 0x100000000ULL;
  g_last = now;
  const ULONGLONG result = g_high + now;
  InterlockedExchange(&g_lock, 0);
  return result;
}

ULONGLONG WINAPI TickCount64() {
  if (g_state == 0) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    TickCount64Fn fn = kernel != nullptr ? reinterpret_cast<TickCount64Fn>(reinterpret_cast<void*>(
                                               GetProcAddress(kernel, "GetTickCount64")))
                                         : nullptr;
    g_real = fn;
    InterlockedExchange(&g_state, fn != nullptr ? 1 : 2);
  }
  return g_state == 1 ? g_real() : ExtendedTickCount();
}

}  // namespace

// The import slot's own name (i686 __stdcall decoration, no arguments).
extern "C" TickCount64Fn orvane_imp_GetTickCount64 __asm__("__imp__GetTickCount64@0");
TickCount64Fn orvane_imp_GetTickCount64 = &TickCount64;
