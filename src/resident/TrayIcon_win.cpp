#include "resident/TrayIcon_win.h"

#include <cassert>
#include <cstring>
#include <utility>

TTrayIcon::TTrayIcon(HWND window) {
  std::memset(&FData, 0, sizeof FData);
  // The whole record, which the fourth version needs; systems that know
  // only the first layout get that instead (Add).
  FData.cbSize = sizeof FData;
  FData.hWnd = window;
  FData.uID = 0;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FData.uCallbackMessage = WM_TRAYNOTIFY;
}

TTrayIcon::~TTrayIcon() { Remove(); }

TTrayIcon::TTrayIcon(TTrayIcon&& other) noexcept
    : FIcon(other.FIcon), FTip(std::move(other.FTip)), FVisible(std::exchange(other.FVisible, false)),
      FVersion4(std::exchange(other.FVersion4, false)), FData(other.FData) {}

TTrayIcon& TTrayIcon::operator=(TTrayIcon&& other) noexcept {
  if (this != &other) {
    Remove();
    FIcon = other.FIcon;
    FTip = std::move(other.FTip);
    FVisible = std::exchange(other.FVisible, false);
    FVersion4 = std::exchange(other.FVersion4, false);
    FData = other.FData;
  }
  return *this;
}

void TTrayIcon::Remove() {
  if (FVisible && FIcon != nullptr) Shell_NotifyIconA(NIM_DELETE, &FData);
  FVisible = false;
  FVersion4 = false;
}

bool TTrayIcon::Add() {
  FVersion4 = false;
  // A notification area that announced itself anew but kept the icon
  // refuses to add it again: it is brought up to date instead.
  if (!Shell_NotifyIconA(NIM_ADD, &FData) && !Shell_NotifyIconA(NIM_MODIFY, &FData)) {
    // A shell that does not know the whole record; it shows the first layout.
    if (FData.cbSize == NOTIFYICONDATAA_V1_SIZE) return false;
    FData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    if (!Shell_NotifyIconA(NIM_ADD, &FData)) {
      // Perhaps no notification area yet: the whole record on the next try.
      FData.cbSize = sizeof FData;
      return false;
    }
    return true;
  }
  // Reports with the event, the icon id and the anchor point, and the
  // keyboard's menu key on the icon. Refused, the reports stay mouse
  // messages and both kinds are understood.
  FData.uVersion = NOTIFYICON_VERSION_4;
  FVersion4 = Shell_NotifyIconA(NIM_SETVERSION, &FData) != FALSE;
  return true;
}

void TTrayIcon::ReturnFocus() {
  if (FVisible) Shell_NotifyIconA(NIM_SETFOCUS, &FData);
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
  if (FVisible) Add();
}

void TTrayIcon::SetVisible(bool visible) {
  // The program sets the icon before it shows it; without one the
  // notification area would show an empty place.
  assert(FIcon != nullptr && "set the icon handle before making the tray icon visible");
  if (FIcon == nullptr) return;
  if (visible == FVisible) return;
  FVisible = visible;
  if (visible) {
    Add();
  } else {
    Shell_NotifyIconA(NIM_DELETE, &FData);
    FVersion4 = false;
  }
}
