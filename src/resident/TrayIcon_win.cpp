#include "resident/TrayIcon_win.h"

#include <cassert>
#include <cstring>
#include <utility>

TTrayIcon::TTrayIcon(HWND window) {
  std::memset(&FData, 0, sizeof FData);
  // The first layout of the record: every system shows it, and the program
  // needs nothing of the later fields.
  FData.cbSize = NOTIFYICONDATAA_V1_SIZE;
  FData.hWnd = window;
  FData.uID = 0;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FData.uCallbackMessage = WM_TRAYNOTIFY;
}

TTrayIcon::~TTrayIcon() { Remove(); }

TTrayIcon::TTrayIcon(TTrayIcon&& other) noexcept
    : FIcon(other.FIcon), FTip(std::move(other.FTip)), FVisible(std::exchange(other.FVisible, false)),
      FData(other.FData) {}

TTrayIcon& TTrayIcon::operator=(TTrayIcon&& other) noexcept {
  if (this != &other) {
    Remove();
    FIcon = other.FIcon;
    FTip = std::move(other.FTip);
    FVisible = std::exchange(other.FVisible, false);
    FData = other.FData;
  }
  return *this;
}

void TTrayIcon::Remove() {
  if (FVisible && FIcon != nullptr) Shell_NotifyIconA(NIM_DELETE, &FData);
  FVisible = false;
}

void TTrayIcon::SetIcon(HICON icon) {
  FIcon = icon;
  FData.hIcon = icon;
  if (FVisible) Shell_NotifyIconA(NIM_MODIFY, &FData);
}

void TTrayIcon::SetTip(const std::string& tip) {
  FTip = tip;
  std::size_t length = tip.size() < kTipCapacity ? tip.size() : kTipCapacity;
  std::memcpy(FData.szTip, tip.data(), length);
  FData.szTip[length] = '\0';
  if (FVisible) Shell_NotifyIconA(NIM_MODIFY, &FData);
}

void TTrayIcon::Restore() {
  if (FVisible) Shell_NotifyIconA(NIM_ADD, &FData);
}

void TTrayIcon::SetVisible(bool visible) {
  // The program sets the icon before it shows it; without one the
  // notification area would show an empty place.
  assert(FIcon != nullptr && "set the icon handle before making the tray icon visible");
  if (FIcon == nullptr) return;
  FVisible = visible;
  Shell_NotifyIconA(visible ? NIM_ADD : NIM_DELETE, &FData);
}
