// Paths that no ANSI code page holds (Cyrillic and CJK in one folder name)
// through the file layer, a picture copy, the settings file, the category
// store and zarvel-cli's own command line.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/OsFile.h"
#include "base/SafeFile.h"
#include "base/WideText_win.h"
#include "common/NonAsciiName.h"
#include "common/TempFolder.h"
#include "run/ImageCopy.h"
#include "run/RunTestUtil.h"
#include "store/Catagories.h"
#include "store/Settings.h"

namespace {

class NonAsciiFolder : public ::testing::Test {
 protected:
  NonAsciiFolder() { EXPECT_TRUE(CreateDirectoryW(WideFromUtf8(Dir).c_str(), nullptr)); }
  std::string File(const std::string& name) const { return Dir + "\\" + name; }

  TTempFolder Temp;
  const std::string Dir = NonAsciiFolderIn(Temp.Path(), '\\');
};

// A GIF header of the given size: enough for the size reader.
std::string Gif(int width, int height) {
  return std::string("GIF89a") + char(width & 0xFF) + char(width >> 8) + char(height & 0xFF) + char(height >> 8);
}

// Straight through the system's wide calls, not through the code under test.
void WriteWide(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadWide(const std::string& path) {
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(missing)";
  char buffer[256];
  DWORD got = 0;
  ReadFile(file, buffer, sizeof buffer, &got, nullptr);
  CloseHandle(file);
  return std::string(buffer, got);
}

// zarvel-cli.exe beside the test programs' folder.
std::wstring CliProgram() {
  wchar_t own[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH * 4);
  std::wstring path = own;
  path.resize(path.rfind(L'\\'));
  path.resize(path.rfind(L'\\') + 1);
  return path + L"zarvel-cli.exe";
}

struct TCliResult {
  DWORD Code = 1;
  std::string Out;
  std::string Err;
};

// Starts zarvel-cli.exe as a script would, every argument in UTF-16 on its
// command line, and waits for it.
TCliResult RunCliProgram(const TTempFolder& temp, const std::vector<std::string>& args, const std::string& input) {
  WriteBytes(temp.File("in.txt"), input);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  auto open = [&](const std::string& name, bool write) {
    return CreateFileW(WideFromUtf8(temp.File(name)).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE in = open("in.txt", false), out = open("out.txt", true), err = open("err.txt", true);
  std::wstring line = L"\"" + CliProgram() + L"\"";
  for (const std::string& arg : args) line += L" \"" + WideFromUtf8(arg) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  TCliResult result;
  if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                     &process)) {
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &result.Code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    ADD_FAILURE() << "zarvel-cli.exe did not start";
  }
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  result.Out = ReadBytes(temp.File("out.txt"));
  result.Err = ReadBytes(temp.File("err.txt"));
  return result;
}

}  // namespace

TEST_F(NonAsciiFolder, FileLayerFindsWritesAndReplacesByItsPath) {
  WriteWholeFileSafely(File("a.cat"), "first");
  WriteWholeFileSafely(File("a.cat"), "second");
  EXPECT_EQ(ReadWholeFile(File("a.cat")), "second");
  EXPECT_TRUE(DirectoryExists(Dir));
  EXPECT_EQ(FindFilesWithExtension(Dir, ".cat"), std::vector<std::string>{"a.cat"});
  // The name on disk is the name given, not one made of "?".
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WideFromUtf8(Temp.Path() + "\\*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  bool seen = false;
  do seen = seen || Utf8FromWide(found.cFileName) == NonAsciiName();
  while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(DeleteOneFile(File("a.cat")));
  EXPECT_FALSE(FileExists(File("a.cat")));
}

TEST_F(NonAsciiFolder, PictureCopiedOntoItselfStaysWhole) {
  ASSERT_TRUE(CreateFolderWithParents(File("images\\")));
  ASSERT_TRUE(CreateFolderWithParents(File("pages\\")));
  const std::string picked = File("images\\\xE6\x97\xA5.gif");
  WriteWide(picked, Gif(3, 4));
  const std::string work = File("pages\\");
  EXPECT_FALSE(ImageNeedsCopy(picked, ImageCopyTarget(work, "../images/", picked)));
  CopyImage(picked, work, "..\\images\\");  // told to copy all the same
  EXPECT_EQ(ReadWide(picked), Gif(3, 4));
  // A real copy into another such folder keeps every byte too.
  ASSERT_TRUE(CopyImage(picked, Dir + "\\", "\xD0\x9A\xD0\xBE\xD0\xBF\xD0\xB8\xD1\x8F/"));
  EXPECT_EQ(ReadWide(File("\xD0\x9A\xD0\xBE\xD0\xBF\xD0\xB8\xD1\x8F\\\xE6\x97\xA5.gif")), Gif(3, 4));
}

TEST_F(NonAsciiFolder, SettingsKeepPathsOldValuesAndProgramNames) {
  // Written by an older copy: ANSI bytes ("Café" in Windows-1252 where the
  // code page is that one).
  std::string cafe;
  ASSERT_TRUE(AnsiFromPathName("Caf\xC3\xA9", cafe) || GetACP() == CP_UTF8);
  WriteWholeFileSafely(SettingsFilePath(Dir), "[MacroEditor]\r\nTitle=" + cafe + "\r\n");
  const std::string workDir = Dir + "\\\xD0\xA1\xD0\xB0\xD0\xB9\xD1\x82\\";
  ASSERT_TRUE(WriteImageWorkDir(Dir, workDir));
  EXPECT_EQ(ReadImageWorkDir(Dir), workDir);
  EXPECT_EQ(ReadSettingString(Dir, kSectionMacroEditor, "Title", ""), "Caf\xC3\xA9") << "the old value reads whole";
  ASSERT_TRUE(WriteTransferMethod(Dir, "\xE6\x97\xA5\xE6\x9C\xAC.exe", tmMessages));
  EXPECT_EQ(ReadTransferMethod(Dir, "\xE6\x97\xA5\xE6\x9C\xAC.exe"), tmMessages);
  EXPECT_EQ(ReadSettingKeys(Dir, kSectionMethods), std::vector<std::string>{"\xE6\x97\xA5\xE6\x9C\xAC.exe"});
  // Plain values leave a file ANSI, as older copies can read it.
  TTempFolder plain;
  ASSERT_TRUE(WriteImageWorkDir(plain.Path(), "C:\\Site\\"));
  EXPECT_NE(ReadBytes(SettingsFilePath(plain.Path())).compare(0, 2, "\xFF\xFE"), 0);
}

TEST_F(NonAsciiFolder, CatagoriesLoadBesideAFileWhoseNameAnsiCannotHold) {
  {
    TCatagories store(Dir);
    ASSERT_EQ(store.AddCatagory("Web"), 0);
    store.AddMacro(0, MacroWith(mtBlockMode, {{mxLine1, "<b>{line}</b>"}}));
  }
  WriteWholeFileSafely(File("\xE6\x97\xA5\xE6\x9C\xAC.cat"), "");
  TCatagories store(Dir);
  ASSERT_EQ(store.Items.size(), 1u);
  EXPECT_EQ(store.Items[0].Name, "Web");
  EXPECT_EQ(store.Items[0].Macros.size(), 1u);
  ASSERT_EQ(store.LoadProblems().size(), GetACP() == CP_UTF8 ? 0u : 1u);
  if (GetACP() != CP_UTF8) {
    EXPECT_NE(store.LoadProblems()[0].find("rename"), std::string::npos);
  }
}

TEST_F(NonAsciiFolder, CliFindsPicturesAndStoreByTheirPaths) {
  {
    TCatagories store(File("Macros"));
    ASSERT_EQ(store.AddCatagory("Web"), 0);
    store.AddMacro(0, MacroWith(mtBlockMode, {{mxLine1, "<img src=\"{image:p}\" width=\"{width:p}\" alt=\"{line}\">"}}));
    store.AddMacro(0, MacroWith(mtBlockMode, {{mxLine1, "<i>{$v}</i>{line}"}}));
  }
  const std::string picture = File("\xE6\x97\xA5.gif");
  WriteWide(picture, Gif(100, 50));
  TCliResult run = RunCliProgram(Temp, {"apply", "--macros", File("Macros"), "--category", "Web", "--index", "0",
                                        "--image", "p=" + picture},
                                 "x");
  EXPECT_EQ(run.Code, 0u) << run.Err;
  EXPECT_EQ(run.Out, "<img src=\"\xE6\x97\xA5.gif\" width=\"100\" alt=\"x\">");
  EXPECT_NE(run.Err.find("UTF-8"), std::string::npos) << "the result's form is said";

  // Answers the code page holds keep the run in it: ANSI in, ANSI out.
  if (GetACP() == 1252) {
    run = RunCliProgram(Temp, {"apply", "--macros", File("Macros"), "--category", "Web", "--index", "1", "--var",
                               "v=Caf\xC3\xA9"},
                        "\xE9");
    EXPECT_EQ(run.Out, "<i>Caf\xE9</i>\xE9") << run.Err;
    EXPECT_EQ(run.Err, "");
  }

  run = RunCliProgram(Temp, {"list", "--macros", File("Macros")}, "");
  EXPECT_EQ(run.Code, 0u) << run.Err;
  EXPECT_EQ(run.Out.compare(0, 6, "Web\t0\t"), 0) << run.Out;

  run = RunCliProgram(Temp, {"imagesize", File("missing \xE6\x97\xA5.gif")}, "");
  EXPECT_NE(run.Code, 0u);
  EXPECT_NE(run.Err.find(File("missing \xE6\x97\xA5.gif")), std::string::npos) << "the path is quoted whole: " << run.Err;
}
