#include "store/Catagories.h"

#include <cstring>

#include "base/OsFile.h"
#include "base/PathParts.h"
#include "base/SafeFile.h"
#include "base/StrUtils.h"
#include "store/RecordFile.h"

namespace {

const char kCatagoryExtension[] = ".cat";

std::string WithoutLastExtension(const std::string& fileName) {
  std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

}  // namespace

bool IsValidCatagoryName(const std::string& name) {
  for (unsigned char c : name)
    if (c < 32 || std::strchr("\\/:*?\"<>|", c)) return false;
  return true;
}

void CheckCatagoryName(const std::string& name) {
  if (name.size() > kCatagoryNameCapacity)
    throw ECatagoryName("A catagory name can be at most 255 characters long.");
  if (IsReservedDeviceName(name))
    throw ECatagoryName("'" + name + "' cannot be a catagory name: Windows keeps the names CON, PRN, AUX, NUL, "
                        "COM1 to COM9 and LPT1 to LPT9 for devices, with or without an extension.");
  if (!IsValidCatagoryName(name))
    throw EFileError("Cannot create", name + kCatagoryExtension,
                     "The filename, directory name, or volume label syntax is incorrect.");
}

ECatagoryChanged::ECatagoryChanged(const std::string& fileName)
    : EFileError("Cannot change", fileName,
                 "Another program has changed this catagory since Zarvel read it. Zarvel has read it "
                 "again as it is now; please make your change again.") {}

TCatagories::TCatagories(const std::string& directory) : FDirectory(directory) { LoadAll(); }

void TCatagories::LoadAll() {
  Items.clear();
  FEncoding = TStoreEncoding::Ansi;
  FEncodingProblem.clear();
  try {
    FEncoding = ReadStoreEncoding(FDirectory);
  } catch (const std::exception& error) {
    // Texts read in the wrong encoding would be written back wrong: nothing loads.
    FEncodingProblem = error.what();
    FLoadProblems.push_back(FEncodingProblem);
    return;
  }
  for (const std::string& fileName : FindFilesWithExtension(FDirectory, kCatagoryExtension))
    LoadCatagory(fileName);
}

std::string TCatagories::FileNameOf(const std::string& name) const {
  return (FEncoding == TStoreEncoding::Utf8 ? name : PathNameFromAnsi(name)) + kCatagoryExtension;
}

bool TCatagories::NameOfFile(const std::string& fileName, std::string& name) const {
  std::string stem = WithoutLastExtension(fileName);
  if (FEncoding == TStoreEncoding::Utf8) {
    name = stem;
  } else if (!AnsiFromPathName(stem, name)) {
    return false;
  }
  name = name.substr(0, kCatagoryNameCapacity);
  return true;
}

void TCatagories::CheckKnownEncoding() const {
  if (!FEncodingProblem.empty()) throw EStoreEncoding(FEncodingProblem);
}

void TCatagories::LoadCatagory(const std::string& fileName) {
  TCatagory catagory;
  // The name is a text of the macro files; a file whose name the ANSI code
  // page cannot hold could never be named again, so it stays out, said why.
  std::string name;
  if (!NameOfFile(fileName, name)) {
    FLoadProblems.push_back("Cannot read \"" + PathJoin(FDirectory, fileName) +
                            "\": its name holds characters that Windows' ANSI code page cannot hold, "
                            "so it cannot be a catagory name. Please rename the file.");
    return;
  }
  catagory.Name = name;
  ReadCatagoryFile(catagory);
  Items.push_back(std::move(catagory));
}

void TCatagories::ReadCatagoryFile(TCatagory& catagory) {
  std::string problem = TryReadCatagoryFile(catagory);
  if (!problem.empty()) FLoadProblems.push_back(problem);
}

std::string TCatagories::TryReadCatagoryFile(TCatagory& catagory) {
  std::string path = CatagoryFileName(catagory.Name);
  try {
    TOsFile file;
    if (FileExists(path)) {
      // Read only: a write-protected category still loads and its macros
      // still run; a change to it fails later with the system's message.
      file = TOsFile(path, omRead);
    } else {
      file = TOsFile(path, omCreateNew);
    }
    // One read for the whole file, straight into the records. A final
    // partial record is kept as a macro of its own, its missing bytes zero.
    std::int64_t size = file.Size();
    std::size_t count = static_cast<std::size_t>((size + kMacroRecordSize - 1) / kMacroRecordSize);
    catagory.Macros.resize(count);
    std::size_t got = file.Read(catagory.Macros.data(), static_cast<std::size_t>(size));
    // A file that shrank while it was read keeps only what was read.
    catagory.Macros.resize((got + kMacroRecordSize - 1) / kMacroRecordSize);
    std::size_t tail = catagory.Macros.size() * kMacroRecordSize - got;
    if (tail > 0) std::memset(reinterpret_cast<char*>(catagory.Macros.data()) + got, 0, tail);
    catagory.Stamp = file.Stamp();
    catagory.LoadFailed = false;
    return std::string();
  } catch (const EFileError& error) {
    catagory.Macros.clear();
    catagory.LoadFailed = true;
    // The stamp it has now, so that an unchanged unreadable file is not
    // taken for a change at every refresh.
    if (!ReadFileStamp(path, catagory.Stamp)) catagory.Stamp = TFileStamp();
    return error.what();
  }
}

TStoreRefresh TCatagories::Refresh() {
  TStoreRefresh found;
  if (EncodingChanged()) return RefreshWhole();
  std::vector<std::string> names;
  for (const std::string& fileName : FindFilesWithExtension(FDirectory, kCatagoryExtension)) {
    std::string name;
    if (NameOfFile(fileName, name)) names.push_back(name);
  }
  std::vector<bool> known(names.size(), false);
  std::vector<TCatagory> kept;
  kept.reserve(Items.size());
  for (TCatagory& catagory : Items) {
    std::size_t at = 0;
    while (at < names.size() && !SameFileName(names[at], catagory.Name)) ++at;
    TFileStamp now;
    // Gone from the folder, or gone between the search and now: it leaves.
    if (at == names.size() || !ReadFileStamp(ResolveInDirectory(FDirectory, FileNameOf(catagory.Name)), now)) {
      found.Removed.push_back(catagory.Name);
      continue;
    }
    known[at] = true;
    if (catagory.LoadFailed || now != catagory.Stamp) {
      TCatagory fresh;
      fresh.Name = catagory.Name;
      std::string problem = TryReadCatagoryFile(fresh);
      bool differs = !fresh.LoadFailed || !catagory.LoadFailed || fresh.Stamp != catagory.Stamp;
      if (differs) {
        if (!problem.empty()) FLoadProblems.push_back(problem);
        found.Changed.push_back(catagory.Name);
        catagory = std::move(fresh);
      }
    }
    kept.push_back(std::move(catagory));
  }
  Items = std::move(kept);
  for (std::size_t i = 0; i < names.size(); ++i) {
    // Two files whose names differ only in case (possible on Linux) make one category.
    if (known[i] || FindCatagory(*this, names[i]) >= 0) continue;
    TCatagory added;
    added.Name = names[i];
    ReadCatagoryFile(added);
    found.Added.push_back(added.Name);
    Items.push_back(std::move(added));
  }
  if (found.Any()) ++FGeneration;
  return found;
}

bool TCatagories::EncodingChanged() const {
  try {
    return FEncodingProblem.empty() ? ReadStoreEncoding(FDirectory) != FEncoding : true;
  } catch (const std::exception&) {
    return true;
  }
}

TStoreRefresh TCatagories::RefreshWhole() {
  TStoreRefresh found;
  std::vector<std::string> before;
  for (const TCatagory& catagory : Items) before.push_back(catagory.Name);
  LoadAll();
  for (const TCatagory& catagory : Items) {
    bool known = false;
    for (const std::string& name : before) known = known || SameFileName(name, catagory.Name);
    (known ? found.Changed : found.Added).push_back(catagory.Name);
  }
  for (const std::string& name : before)
    if (FindCatagory(*this, name) < 0) found.Removed.push_back(name);
  ++FGeneration;
  return found;
}

std::string TCatagories::CatagoryFileName(const std::string& name) const {
  if (!DirectoryExists(FDirectory)) CreateOneDirectory(FDirectory);
  return ResolveInDirectory(FDirectory, FileNameOf(name));
}

int TCatagories::AddCatagory(const std::string& name) {
  CheckKnownEncoding();
  CheckCatagoryName(name);
  std::string path = CatagoryFileName(name);
  if (FileExists(path)) return -1;
  TOsFile file(path, omCreateNew);
  TCatagory added;
  added.Name = name;
  added.Stamp = file.Stamp();
  file.Close();
  ReadFileStamp(path, added.Stamp);
  Items.push_back(std::move(added));
  ++FGeneration;
  return static_cast<int>(Items.size()) - 1;
}

void TCatagories::RemoveCatagory(int catagory) {
  RemoveCatagory(catagory, [](const std::string& path) { DeleteOneFile(path); });
}

void TCatagories::RemoveCatagory(int catagory, const TFileRemover& removeFile) {
  // A file that could not be read is never deleted unseen: its category
  // leaves the list and comes back at the next start.
  if (!At(catagory).LoadFailed) {
    std::string path = CatagoryFileName(Items[catagory].Name);
    TFileStamp now;
    if (ReadFileStamp(path, now) && now != Items[catagory].Stamp) {
      ReadCatagoryFile(Items[catagory]);
      ++FGeneration;
      throw ECatagoryChanged(path);
    }
    removeFile(path);
  }
  if (static_cast<std::size_t>(catagory) + 1 < Items.size())
    Items[catagory] = std::move(Items.back());
  Items.pop_back();
  ++FGeneration;
}

int TCatagories::AddMacro(int catagory, const TMacro& macro) {
  TOsFile file = OpenUnchanged(catagory);
  TCatagory& target = Items[catagory];
  // The position comes from memory, not from the file length: a final
  // partial record loaded from a damaged file is a macro too, and the new
  // record goes behind it (the gap is padded with the zeros it holds in memory).
  std::size_t index = target.Macros.size();
  try {
    WriteRecordAt(file, index, &macro, sizeof macro);
  } catch (const EFileError&) {
    Written(catagory, file);
    throw;
  }
  Written(catagory, file);
  target.Macros.push_back(macro);
  ++FGeneration;
  return static_cast<int>(index);
}

void TCatagories::UpdateMacro(int catagory, int macro) {
  CheckMacroIndex(catagory, macro);
  UpdateMacro(catagory, macro, TMacro(Items[catagory].Macros[macro]));
}

void TCatagories::UpdateMacro(int catagory, int macro, const TMacro& value) {
  CheckMacroIndex(catagory, macro);
  TOsFile file = OpenUnchanged(catagory);
  try {
    WriteRecordAt(file, macro, &value, kMacroRecordSize);
  } catch (const EFileError&) {
    Written(catagory, file);
    throw;
  }
  Written(catagory, file);
  Items[catagory].Macros[macro] = value;
  ++FGeneration;
}

void TCatagories::RemoveMacro(int catagory, int macro) {
  CheckMacroIndex(catagory, macro);
  TOsFile file = OpenUnchanged(catagory);
  TMacroList& macros = Items[catagory].Macros;
  std::size_t last = macros.size() - 1;
  // The file first: when it cannot be changed, memory keeps the macro too,
  // so the editor goes on showing what the file holds.
  try {
    RemoveRecordMovingLast(file, macro, last, &macros[last], kMacroRecordSize);
  } catch (const EFileError&) {
    Written(catagory, file);
    throw;
  }
  Written(catagory, file);
  if (static_cast<std::size_t>(macro) < last) macros[macro] = macros[last];
  macros.pop_back();
  ++FGeneration;
}

void TCatagories::ReplaceMacros(int catagory, const TMacroList& macros) {
  OpenUnchanged(catagory).Close();
  std::string path = CatagoryFileName(Items[catagory].Name);
  ReplaceFileSafely(path, [&](TOsFile& file) {
    if (!macros.empty()) file.Write(macros.data(), macros.size() * kMacroRecordSize);
  });
  ReadFileStamp(path, Items[catagory].Stamp);
  Items[catagory].Macros = macros;
  ++FGeneration;
}

TOsFile TCatagories::OpenUnchanged(int catagory) {
  TCatagory& target = Writable(catagory);
  std::string path = CatagoryFileName(target.Name);
  // A file that is gone or cannot be opened fails here with the system's
  // reason; only one that is there and differs counts as changed.
  TOsFile file(path, omReadWrite);
  if (file.Stamp() != target.Stamp) {
    file = TOsFile();
    ReadCatagoryFile(target);
    ++FGeneration;
    throw ECatagoryChanged(path);
  }
  return file;
}

void TCatagories::Written(int catagory, TOsFile& file) {
  // Also after a failed write, which has put the file back as memory has
  // it: the next change must not take that for another program's.
  std::string path = file.Path();
  try {
    file.Close();
  } catch (const EFileError&) {
    ReadFileStamp(path, Items[catagory].Stamp);
    throw;
  }
  ReadFileStamp(path, Items[catagory].Stamp);
}

bool TCatagories::FindShortCut(std::uint16_t shortCut, int& catagory, int& macro) const {
  for (std::size_t c = 0; c < Items.size(); ++c)
    for (std::size_t m = 0; m < Items[c].Macros.size(); ++m)
      if (Items[c].Macros[m].ShortCut == shortCut) {
        catagory = static_cast<int>(c);
        macro = static_cast<int>(m);
        return true;
      }
  return false;
}

TCatagory& TCatagories::At(int catagory) {
  if (catagory < 0 || static_cast<std::size_t>(catagory) >= Items.size())
    throw std::out_of_range("No catagory has the index " + std::to_string(catagory) + ".");
  return Items[catagory];
}

TCatagory& TCatagories::Writable(int catagory) {
  TCatagory& target = At(catagory);
  if (target.LoadFailed)
    throw EFileError("Cannot change", CatagoryFileName(target.Name),
                     "The file could not be read when Zarvel started; restart Zarvel to "
                     "change this catagory.");
  return target;
}

void TCatagories::CheckMacroIndex(int catagory, int macro) {
  TCatagory& owner = Writable(catagory);
  if (macro < 0 || static_cast<std::size_t>(macro) >= owner.Macros.size())
    throw std::out_of_range("Catagory '" + owner.Name + "' has no macro with the index " +
                            std::to_string(macro) + ".");
}

int FindCatagory(const TCatagories& store, const std::string& name) {
  for (std::size_t i = 0; i < store.Items.size(); ++i)
    if (SameFileName(store.Items[i].Name, name)) return static_cast<int>(i);
  return -1;
}

// --- Renaming, copying and moving ---

std::string CopyTitle(const std::string& title, bool utf8) {
  static const char kCopy[] = " (copy)";
  std::size_t room = kTitleCapacity - (sizeof kCopy - 1);
  return (utf8 ? Utf8Prefix(title, room) : title.substr(0, room)) + kCopy;
}

bool TCatagories::RenameCatagory(int catagory, const std::string& newName) {
  CheckCatagoryName(newName);
  TCatagory& target = Writable(catagory);
  if (newName == target.Name) return true;
  int holder = FindCatagory(*this, newName);
  if (holder >= 0 && holder != catagory) return false;
  bool caseOnly = SameFileName(target.Name, newName);
  if (!caseOnly) {
    std::string inTheWay = CatagoryFileName(newName);
    if (FileExists(inTheWay) || DirectoryExists(inTheWay)) return false;
  }
  std::string oldPath = CatagoryFileName(target.Name);
  std::string newPath = PathJoin(FDirectory, FileNameOf(newName));  // as written, case and all
  // The bytes as they lie, a final partial record included; read only once
  // the file is known unchanged.
  std::string bytes;
  {
    TOsFile old = OpenUnchanged(catagory);
    bytes.resize(static_cast<std::size_t>(old.Size()));
    bytes.resize(old.Read(&bytes[0], bytes.size()));
  }
  if (caseOnly) {
    ReplaceFileOrFail(oldPath, newPath);
  } else {
    // The new file first: until it is whole and on the disk, the old one is
    // untouched, and a failure takes the new one away again.
    TOsFile created(newPath, omCreateNew);
    try {
      if (!bytes.empty()) created.Write(bytes.data(), bytes.size());
      created.Flush();
      created.Close();
      DeleteFileOrFail(oldPath);
    } catch (const EFileError&) {
      created = TOsFile();
      DeleteOneFile(newPath);
      throw;
    }
  }
  target.Name = newName;
  ReadFileStamp(newPath, target.Stamp);
  ++FGeneration;
  return true;
}

int TCatagories::DuplicateMacro(int catagory, int macro) {
  CheckMacroIndex(catagory, macro);
  TMacro copy = Items[catagory].Macros[macro];
  SetTitle(copy, CopyTitle(GetTitle(copy), FEncoding == TStoreEncoding::Utf8));
  copy.ShortCut = 0;
  return AddMacro(catagory, copy);
}

int TCatagories::MoveMacro(int from, int macro, int to) {
  CheckMacroIndex(from, macro);
  Writable(to);
  if (from == to) return macro;
  // Both files are checked before either is written.
  TOsFile target = OpenUnchanged(to);
  TOsFile source = OpenUnchanged(from);
  const TMacro moving = Items[from].Macros[macro];
  std::size_t index = Items[to].Macros.size();
  try {
    WriteRecordAt(target, index, &moving, kMacroRecordSize);
  } catch (const EFileError&) {
    Written(to, target);
    throw;
  }
  TMacroList& macros = Items[from].Macros;
  std::size_t last = macros.size() - 1;
  try {
    RemoveRecordMovingLast(source, macro, last, &macros[last], kMacroRecordSize);
  } catch (const EFileError& error) {
    // The source is as it was; the target loses the appended record again.
    bool undone = true;
    try {
      target.Seek(static_cast<std::int64_t>(index) * static_cast<std::int64_t>(kMacroRecordSize));
      target.Truncate();
    } catch (const EFileError&) {
      undone = false;
    }
    try {
      Written(from, source);
      Written(to, target);
    } catch (const EFileError&) {
    }
    if (undone) throw;
    Items[to].Macros.push_back(moving);
    ++FGeneration;
    throw EFileError("Cannot move a macro out of", error.FileName(),
                     error.OsText() + " The macro '" + GetTitle(moving) + "' is now in both '" +
                         Items[from].Name + "' and '" + Items[to].Name + "'; delete one of them.");
  }
  Items[to].Macros.push_back(moving);
  if (static_cast<std::size_t>(macro) < last) macros[macro] = macros[last];
  macros.pop_back();
  ++FGeneration;
  Written(from, source);
  Written(to, target);
  return static_cast<int>(index);
}
