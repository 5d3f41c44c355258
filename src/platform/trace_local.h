// Local trace only: never committed.
#pragma once
#ifdef _WIN32
#include <windows.h>
#include <cstdio>
#include <cstdlib>
inline void QlmTrace(const char* what) {
  static FILE* out = [] {
    const char* p = std::getenv("QLM_TRACE");
    return p ? std::fopen(p, "a") : nullptr;
  }();
  if (!out) return;
  LARGE_INTEGER now, f;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&f);
  std::fprintf(out, "%.3f %s\n", static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart), what);
  std::fflush(out);
}
#else
inline void QlmTrace(const char*) {}
#endif
