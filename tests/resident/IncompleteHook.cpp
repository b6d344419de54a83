// A hook library with KeyHookCreate and no KeyHookDestroy, for the test of
// the program's second start-up error.

#include <windows.h>

extern "C" __declspec(dllexport) BOOL __stdcall KeyHookCreate(HWND /*target*/) { return TRUE; }
