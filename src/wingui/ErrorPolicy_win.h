#pragma once
// How the program tells the user that something failed, in one place.
//
// Every boundary where the system calls into the program (window and dialog
// procedures, hook procedures, thread bodies) catches what reaches it and
// hands it to ReportException with the kind of boundary; the kind alone
// decides the caption, the owner and what happens afterwards:
//
//   kind      caption        owner                  afterwards
//   ebDialog  "Error"        the dialog             the action failed; the dialog stays open
//   ebRun     "Zarvel"       none, kept in front    the run ends without a paste; its end
//                                                   notice still comes and the next shortcut runs
//   ebThread  "Fatal Error"  none                   the quit message goes to the calling thread:
//                                                   a window's thread closes its window as if
//                                                   cancelled, the main thread ends the program
//
// An entry a dialog refuses is not an exception: ShowInputError says why,
// captioned "Error" and owned by the dialog, which stays open. A broken
// invariant (a state the program itself should never reach) is an
// assertion, never a box for the user.

#include <windows.h>

#include <exception>
#include <string>

enum TErrorBoundary { ebDialog, ebRun, ebThread };

// The exception's own text, or the boundary's stand-in when it has none.
std::string ErrorMessageOf(TErrorBoundary boundary, std::exception_ptr error);

// The box of the boundary's kind, without the afterwards. The message may
// quote paths and a run's texts in UTF-8 or texts of the macro files in the
// ANSI code page (see WideForDisplay); either shows as it is.
void ShowErrorBox(TErrorBoundary boundary, HWND owner, const std::string& message);

// The box of the boundary's kind, then its afterwards. Call inside a catch
// block with std::current_exception(). Never throws.
void ReportException(TErrorBoundary boundary, HWND owner, std::exception_ptr error) noexcept;

// An entry the dialog refuses; icon MB_ICONERROR or MB_ICONINFORMATION.
void ShowInputError(HWND owner, const std::string& message, UINT icon = MB_ICONERROR);
