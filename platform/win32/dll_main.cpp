// The DLL's entry point.
//
// Process attach: the library's load work (the WinUSB entry points, then
// linking every attached board) is the first dynamic initialization of the
// device layer (core/device_open.cpp), which the C runtime's entry point runs
// at DLL_PROCESS_ATTACH right before it calls this function, so nothing is
// left to do here.  Thread notifications stay on: the C runtime linked into
// the DLL needs them for its thread-local data.
//
// Process detach: nothing is released.  The device table outlives the
// library's code on purpose (a worker thread may still be running), and
// driver handles are closed only by MIRBAX_CloseDevice.
#include "platform/win32/windows_api.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
