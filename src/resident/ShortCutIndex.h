#pragma once
// Shortcut word -> the first macro that carries it, categories in store order
// and macros in file order, so that a key press costs one table look-up
// whatever the size of the store. Rebuilt when the store's generation moves.

#include <array>
#include <cstdint>

#include "store/Catagories.h"

class TShortCutIndex {
 public:
  TShortCutIndex();

  // Rebuilds from the store when it changed since the last call (or when it
  // is a different store). Only on the thread that may read the store.
  void Sync(const TCatagories& catagories);
  bool Find(std::uint16_t shortCut, int& catagory, int& macro) const;
  // Makes the next Sync rebuild. For changes made in memory that no file
  // write completed (a failed UpdateMacro leaves the generation unchanged).
  void Invalidate() { FStore = nullptr; }

 private:
  struct TEntry {
    std::int32_t Catagory;  // -1: no macro has this word
    std::int32_t Macro;
  };
  // A word that a key press can form has bits only in the low byte and the
  // three modifier bits: 11 bits, 2048 slots. A stored word with other bits
  // set can never be pressed and is left out.
  static constexpr std::size_t kSlots = 2048;
  static bool Slot(std::uint16_t shortCut, std::size_t& slot);
  void Rebuild(const TCatagories& catagories);

  std::array<TEntry, kSlots> FEntries;
  const TCatagories* FStore = nullptr;
  std::uint64_t FGeneration = 0;
};
