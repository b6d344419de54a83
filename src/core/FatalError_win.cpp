#include "core/FatalError.h"

#include <windows.h>

#include <stdexcept>

void ShowFatalError(const std::string& message) {
  MessageBoxA(nullptr, message.c_str(), "Fatal Error", MB_OK | MB_ICONERROR);
}

void HandleApplicationException(std::exception_ptr error) noexcept {
  try {
    std::string message = "Unknown error.";
    try {
      if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
      message = e.what();
    } catch (...) {
    }
    ShowFatalError(message);
  } catch (...) {
    // Not even the message could be shown (out of memory): quit anyway.
  }
  PostQuitMessage(0);
}
