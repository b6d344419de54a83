#include "wingui/ErrorPolicy_win.h"

#include "base/WideText_win.h"

namespace {

struct TBoundaryStyle {
  const char* Caption;
  UINT Flags;
  const char* StandIn;  // the text when the exception carries none
};

TBoundaryStyle StyleOf(TErrorBoundary boundary) {
  switch (boundary) {
    case ebDialog: return {"Error", MB_OK | MB_ICONERROR, "Unexpected error."};
    case ebRun:
      // No window of the program is in front during a run: the box must
      // come to the front by itself.
      return {"Zarvel", MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST, "The macro could not be run."};
    case ebThread: break;
  }
  return {"Fatal Error", MB_OK | MB_ICONERROR, "Unknown error."};
}

}  // namespace

std::string ErrorMessageOf(TErrorBoundary boundary, std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
  }
  return StyleOf(boundary).StandIn;
}

void ShowErrorBox(TErrorBoundary boundary, HWND owner, const std::string& message) {
  const TBoundaryStyle style = StyleOf(boundary);
  MessageBoxW(boundary == ebDialog ? owner : nullptr, WideForDisplay(message).c_str(),
              WideFromUtf8(style.Caption).c_str(), style.Flags);
}

void ReportException(TErrorBoundary boundary, HWND owner, std::exception_ptr error) noexcept {
  try {
    ShowErrorBox(boundary, owner, ErrorMessageOf(boundary, error));
  } catch (...) {
    // Not even the message could be made (out of memory): go on regardless.
  }
  if (boundary == ebThread) PostQuitMessage(0);
}

void ShowInputError(HWND owner, const std::string& message, UINT icon) {
  MessageBoxW(owner, WideForDisplay(message).c_str(), L"Error", MB_OK | icon);
}
