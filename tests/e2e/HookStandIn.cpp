// A hook library that lacks KeyHookDestroy: the program must refuse it with
// its message instead of staying resident.

#include <windows.h>

extern "C" __declspec(dllexport) BOOL __stdcall KeyHookCreate(HWND) { return TRUE; }
