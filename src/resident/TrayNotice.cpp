#include "resident/TrayNotice.h"

namespace {

TTrayAction ActionOf(unsigned event, bool version4) {
  switch (event) {
    // With the fourth version the right click arrives as WM_CONTEXTMENU as
    // well as WM_RBUTTONUP; only the first opens the menu, or it would open
    // twice.
    case kTrayContextMenu: return version4 ? TTrayAction::OpenMenu : TTrayAction::None;
    case kTrayRightButtonUp: return version4 ? TTrayAction::None : TTrayAction::OpenMenu;
    case kTrayLeftDoubleClick: return TTrayAction::OpenEditor;
    // Enter or Space on the focused icon is the keyboard's double click. A
    // single click (NIN_SELECT) does nothing, as it never has.
    case kTrayKeySelect: return TTrayAction::OpenEditor;
    default: return TTrayAction::None;
  }
}

}  // namespace

TTrayNotice DecodeTrayNotice(std::uintptr_t wParam, std::intptr_t lParam, bool version4) {
  TTrayNotice notice;
  const auto low = [](std::uintptr_t value) { return static_cast<unsigned>(value & 0xFFFF); };
  const auto high = [](std::uintptr_t value) { return static_cast<unsigned>((value >> 16) & 0xFFFF); };
  const auto bits = static_cast<std::uintptr_t>(lParam);
  if (version4) {
    notice.Event = low(bits);
    notice.IconId = high(bits);
    notice.HasAnchor = true;
    // Signed: on a monitor left of or above the main one they are negative.
    notice.X = static_cast<std::int16_t>(low(wParam));
    notice.Y = static_cast<std::int16_t>(high(wParam));
  } else {
    // The whole value: a report of the old kind is a plain message number.
    notice.Event = bits <= 0xFFFFFFFFu ? static_cast<unsigned>(bits) : 0;
    notice.IconId = static_cast<unsigned>(wParam);
  }
  notice.Action = ActionOf(notice.Event, version4);
  return notice;
}
