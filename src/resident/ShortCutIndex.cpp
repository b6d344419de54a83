#include "resident/ShortCutIndex.h"

#include "store/ShortCut.h"

TShortCutIndex::TShortCutIndex() { FEntries.fill(TEntry{-1, -1}); }

bool TShortCutIndex::Slot(std::uint16_t shortCut, std::size_t& slot) {
  constexpr std::uint16_t kModifierBits = kShiftBit | kCtrlBit | kAltBit;
  if (shortCut == 0 || (shortCut & ~(kModifierBits | 0xFFu)) != 0) return false;
  slot = (shortCut & 0xFFu) | ((shortCut & kModifierBits) >> 5);
  return true;
}

void TShortCutIndex::Sync(const TCatagories& catagories) {
  if (FStore == &catagories && FGeneration == catagories.Generation()) return;
  Rebuild(catagories);
  FStore = &catagories;
  FGeneration = catagories.Generation();
}

void TShortCutIndex::Rebuild(const TCatagories& catagories) {
  FEntries.fill(TEntry{-1, -1});
  for (std::size_t c = 0; c < catagories.Items.size(); ++c) {
    const TMacroList& macros = catagories.Items[c].Macros;
    for (std::size_t m = 0; m < macros.size(); ++m) {
      std::size_t slot;
      if (!Slot(macros[m].ShortCut, slot) || FEntries[slot].Catagory >= 0) continue;  // the first one wins
      FEntries[slot] = TEntry{static_cast<std::int32_t>(c), static_cast<std::int32_t>(m)};
    }
  }
}

bool TShortCutIndex::Find(std::uint16_t shortCut, int& catagory, int& macro) const {
  std::size_t slot;
  if (!Slot(shortCut, slot) || FEntries[slot].Catagory < 0) return false;
  catagory = FEntries[slot].Catagory;
  macro = FEntries[slot].Macro;
  return true;
}
