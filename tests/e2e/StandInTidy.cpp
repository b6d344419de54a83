// Stands in for tidy.exe in the end-to-end runs: called as
// "tidy -e -q -config tidy.cfg -f REPORT INPUT", it writes one finding and
// Tidy's four summary lines to REPORT.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  const char* report = nullptr;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-f") == 0) report = argv[i + 1];
  if (report == nullptr) return 2;
  std::FILE* file = std::fopen(report, "wb");
  if (file == nullptr) return 1;
  std::fputs("line 1 column 1 - Warning: stand-in finding\r\n"
             "\r\nInfo: Document content looks like HTML5\r\nTidy found 1 warning and 0 errors!\r\n\r\n",
             file);
  std::fclose(file);
  return 0;
}
