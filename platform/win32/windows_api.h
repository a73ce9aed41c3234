// <windows.h> as the Windows backend uses it.  The header's MessageBox macro
// would rename the platform interface's MessageBox, so it is taken away;
// the backend calls MessageBoxA by name.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef MessageBox
