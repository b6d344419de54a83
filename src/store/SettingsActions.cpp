#include "store/SettingsActions.h"
#include "base/OsFile.h"
#include "base/PathParts.h"

#include <stdexcept>

#include "store/IncludeList.h"
#include "store/Settings.h"

int CopyChoiceForRule(int rule) {
  switch (rule) {
    case kImageCopyAlways: return 0;
    case kImageCopyConfirm: return 1;
    case kImageCopyNever: return 2;
    default: return -1;
  }
}

int CopyRuleForChoice(int choice) {
  static const int rules[kCopyChoiceCount] = {kImageCopyAlways, kImageCopyConfirm, kImageCopyNever};
  if (choice < 0 || choice >= kCopyChoiceCount) return kImageCopyDefault;
  return rules[choice];
}

std::string ProgramNameFromPath(const std::string& path) {
  std::string name = FileNameOfPath(path);
  if (name.size() > kIncludeEntryCapacity) name.resize(kIncludeEntryCapacity);
  return name;
}

std::string AddIncludeProgram(TIncludeList& list, const std::string& pickedPath) {
  // include.dat holds its names in the ANSI code page, as the foreground
  // program's name is compared with them.
  std::string name;
  if (!AnsiFromPathName(ProgramNameFromPath(pickedPath), name))
    throw std::runtime_error("\"" + ProgramNameFromPath(pickedPath) +
                             "\" cannot be added: its name holds characters that Windows' ANSI code page "
                             "cannot hold.");
  list.AddEntry(name);
  return name;
}

bool RemoveIncludeLine(TIncludeList& list, int line) {
  if (line < 0 || static_cast<std::size_t>(line) >= list.Items.size()) return false;
  list.RemoveEntry(line);
  return true;
}

std::vector<std::string> IncludeLines(const TIncludeList& list) { return list.Items; }

const char* TransferMethodLabel(TTransferMethod method) {
  switch (method) {
    case tmMessages: return "messages only";
    case tmKeystrokes: return "keystrokes only";
    default: return "automatic";
  }
}

std::string MethodLine(const std::string& exeName, TTransferMethod method) {
  return exeName + " - " + TransferMethodLabel(method);
}

std::vector<std::pair<std::string, TTransferMethod>> ReadMethodEntries(const std::string& exeDir) {
  std::vector<std::pair<std::string, TTransferMethod>> entries;
  for (const std::string& name : ReadSettingKeys(exeDir, kSectionMethods))
    entries.emplace_back(name, ReadTransferMethod(exeDir, name));
  return entries;
}
