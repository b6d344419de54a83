#pragma once
// The contract between the driver and zarvel-e2e-menuprobe.dll. A popup
// menu's items cannot be read from another process under Wine (menu handles
// are private to their process), so the driver hooks the program's main
// thread with this library and asks the open menu window to describe itself;
// the hook, running inside the program, answers with WM_COPYDATA.

// Registered message sent to the open menu window (class "#32768").
//   wParam: the driver's window that receives the answer.
//   lParam: 0.
constexpr const char* kMenuProbeMessage = "ZarvelE2EMenuProbe";
constexpr const char* kMenuProbeHookName = "MenuProbeHook";
// Registered message sent to the program's application window: the probe
// takes the keyboard hook away as the system does when it drops one (the
// hook library's own KeyHookDestroy, called on the program's main thread).
//   wParam: 0. lParam: 0.
constexpr const char* kDropHookMessage = "ZarvelE2EDropHook";
// dwData of the WM_COPYDATA answer. The text holds one line per item:
// id, TAB, type flags, TAB, state flags, TAB, caption.
constexpr unsigned long kMenuProbeAnswer = 0x5A4D;
