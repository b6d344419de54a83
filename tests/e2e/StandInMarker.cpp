// Started by a Run Program macro in the end-to-end runs: "marker FILE
// WORDS..." writes the words, one line, into FILE in its working folder.
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) return 1;
  for (int i = 2; i < argc; ++i) std::fprintf(file, "%s%s", i > 2 ? " " : "", argv[i]);
  std::fputs("\r\n", file);
  std::fclose(file);
  return 0;
}
