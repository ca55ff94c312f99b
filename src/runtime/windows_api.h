#pragma once
// windows.h as the Windows files of the system include it: without the rarely used parts of the
// API, and without the min and max macros, which would break std::min and std::max.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
