#pragma once
// The notification-area icon. It does not own the icon handles it shows
// (start-up keeps both pictures for the program's lifetime); it owns its
// place in the notification area and gives it up when destroyed.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "resident/Messages.h"

class TTrayIcon {
 public:
  // The tip buffer holds 64 characters with the terminating zero.
  static constexpr std::size_t kTipCapacity = 63;

  explicit TTrayIcon(HWND window);
  ~TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;
  TTrayIcon(TTrayIcon&& other) noexcept;
  TTrayIcon& operator=(TTrayIcon&& other) noexcept;

  void SetIcon(HICON icon);
  // A tip longer than 63 characters is cut there.
  void SetTip(const std::string& tip);
  // Shows the icon or takes it away; the icon must have been set first.
  void SetVisible(bool visible);
  // The notification area was made anew (its shell restarted) and has
  // forgotten every icon: a visible icon is added again.
  void Restore();
  // Gives the keyboard focus back to the notification area, as after a menu
  // of the icon that was closed without opening anything.
  void ReturnFocus();

  HICON Icon() const { return FIcon; }
  const std::string& Tip() const { return FTip; }
  bool Visible() const { return FVisible; }
  const NOTIFYICONDATAA& Data() const { return FData; }
  // Whether the notification area accepted the fourth version for the
  // shown icon: its reports then come in that encoding (TrayNotice.h).
  bool Version4() const { return FVersion4; }

 private:
  void Remove();
  bool Add();

  HICON FIcon = nullptr;
  std::string FTip;
  bool FVisible = false;
  bool FVersion4 = false;
  NOTIFYICONDATAA FData;
};
