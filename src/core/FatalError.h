#pragma once
// The handler of last resort: every callback of the program (window and
// dialog procedures, thread bodies) catches what reaches its boundary and
// hands it here. The message goes into a box captioned "Fatal Error", then
// the quit message is posted to the calling thread: on the main thread the
// program shuts down, on a window's thread that window's modal loop ends, as
// if cancelled, and the thread finishes (a later window gets a new thread).

#include <exception>
#include <string>

void ShowFatalError(const std::string& message);

// Call inside a catch block (or with any exception pointer).
void HandleApplicationException(std::exception_ptr error) noexcept;
