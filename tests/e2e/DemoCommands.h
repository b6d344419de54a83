#pragma once
// Commands that tools/demo uses to show the program, not to test it: each
// opens something, reports where it is, holds it open for a screenshot and
// closes it again.

// show WHAT SECONDS: WHAT is tray-menu, settings, editor, about or picker. Prints
// "RECT left top right bottom" (the screen area worth a picture) and then
// "READY", keeps the window open for the given seconds, then closes it.
int ShowCommand(const char* what, int seconds);
// run-shortcut: types a text into the driver's window, selects a part,
// presses Ctrl+Alt+K and prints the text before and after.
int RunShortCutCommand();
// exit-program: Exit from the tray menu; the quit message if that fails.
int ExitProgramCommand();
