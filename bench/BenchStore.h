#pragma once
// A macros folder for the store benchmarks: 100 categories of 100 macros,
// made once per program in the temporary folder under the given name.

#include <filesystem>
#include <fstream>
#include <string>

#include "store/Macro.h"

constexpr int kBenchCatagories = 100;
constexpr int kBenchMacrosEach = 100;

inline std::string MakeBenchStore(const std::string& name) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::string records;
  for (int m = 0; m < kBenchMacrosEach; ++m) {
    TMacro macro = NewMacro();
    SetTitle(macro, "macro " + std::to_string(m));
    macro.ShortCut = static_cast<std::uint16_t>(0x4000 | (65 + m % 26));
    SetMacroText(macro, mxLine1, "<li>{line}</li>");
    records.append(reinterpret_cast<const char*>(&macro), sizeof macro);
  }
  for (int c = 0; c < kBenchCatagories; ++c)
    std::ofstream(dir / ("Catagory " + std::to_string(c) + ".cat"), std::ios::binary) << records;
  return dir.string();
}
