#include "run/TidyHtml.h"

#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <vector>

#include "base/OsFile.h"
#include "base/PathParts.h"
#include "base/SafeFile.h"

namespace {

std::string Quoted(const std::string& name) {
  return name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
}

// Lines as an edit control loads them: CR LF, LF and CR each end a line, and
// a break at the very end starts no further line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  TOsFile file(path, omCreate);
  file.Write(bytes.data(), bytes.size());
  file.Close();
}

}  // namespace

std::string TidyParameters(const std::string& tempFile) {
  return "-e -q -config tidy.cfg -f " + Quoted(tempFile + ".fix") + " " + Quoted(tempFile);
}

namespace {

// "line 3 column 7 - Warning: ..." — one finding of Tidy's.
bool IsFinding(const std::string& line) {
  return line.compare(0, 5, "line ") == 0 && line.find(" column ") != std::string::npos;
}

}  // namespace

// Tidy ends its report with four lines of summary, which the dialog leaves
// out. Quiet Tidy builds end without them, so a finding is never taken for
// summary: dropping the last four lines would lose the last findings and
// show an empty report for a page full of warnings.
std::string TidyReportText(const std::string& reportBytes) {
  const std::vector<std::string> lines = SplitLines(reportBytes);
  const std::string whole = JoinLines(lines, lines.size());
  if (whole.empty()) return "No errors detected!";
  std::size_t kept = lines.size();
  for (int dropped = 0; dropped < 4 && kept > 0 && !IsFinding(lines[kept - 1]); ++dropped) --kept;
  return JoinLines(lines, kept);
}

std::string CreateTempFile(const std::string& folder, const std::string& prefix) {
  const unsigned start = static_cast<unsigned>(std::time(nullptr));
  for (unsigned n = 0; n < 0x10000; ++n) {
    const unsigned unique = (start + n) & 0xFFFF;
    if (unique == 0) continue;
    char number[8];
    std::snprintf(number, sizeof number, "%X", unique);
    const std::string path = PathJoin(folder, prefix + number + ".TMP");
    TOsFile file;
    if (TOsFile::TryOpen(path, omCreateNew, file)) return path;
    if (!FileExists(path)) {
      TOsFile retry(path, omCreateNew);  // not a name clash: raises with the system's reason
      return path;
    }
  }
  throw EFileError("Cannot create a temporary file in", folder, "every name is taken");
}

std::string RunTidy(const std::string& programFolder, const std::string& html, const TProcessRunner& run,
                    const std::string& tempFolder) {
  const std::string temp = CreateTempFile(tempFolder, "zv");
  const std::string report = temp + ".fix";
  std::string text;
  try {
    WriteWholeFile(temp, html);
    const std::string program = TidyProgram(programFolder);
    if (!run(program, TidyParameters(temp), programFolder))
      throw std::runtime_error("Tidy HTML could not start \"" + program + "\".");
    // A missing report means tidy did not do its work; saying "No errors
    // detected!" then would be a lie, so the file error stands.
    text = TidyReportText(ReadWholeFile(report));
  } catch (...) {
    DeleteOneFile(temp);
    DeleteOneFile(report);
    throw;
  }
  DeleteOneFile(temp);
  DeleteOneFile(report);
  return text;
}

std::string ProgramFolder() { return FolderOfPath(RunningProgramPath()) + PathSeparator(); }
