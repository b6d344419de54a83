// The message handed to the mail program, read through a stand-in for
// MAPISendMail, and the registry rule that decides whether MAPI is loaded.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "run/MAPIControl_win.h"

namespace {

struct TSeenRecipient {
  ULONG Class;
  std::string Name, Address;
  ULONG EntryIdSize;
  bool HasEntryId;
};

struct TSeenFile {
  ULONG Reserved, Flags, Position;
  std::string Path, Name;
  bool HasFileType;
};

// A deep copy of one call: the message's pointers live only during the call.
struct TSeenCall {
  int Calls = 0;
  ULONG_PTR Session = 99, UiParam = 0;
  FLAGS Flags = 99;
  std::string Subject, Note, FromName, FromAddress;
  ULONG FromClass = 99;
  bool SubjectNull = false, NoteNull = false, RecipsNull = false, FilesNull = false;
  bool TypeDateConversationNull = false;
  std::vector<TSeenRecipient> Recipients;
  std::vector<TSeenFile> Files;
};

TSeenCall gSeen;
ULONG gResult = 0;

std::string Str(const char* text) { return text ? text : "<null>"; }

ULONG StandInSendMail(LHANDLE session, ULONG_PTR uiParam, MapiMessage* message, FLAGS flags, ULONG) {
  TSeenCall& seen = gSeen;
  ++seen.Calls;
  seen.Session = session;
  seen.UiParam = uiParam;
  seen.Flags = flags;
  seen.SubjectNull = message->lpszSubject == nullptr;
  seen.NoteNull = message->lpszNoteText == nullptr;
  seen.Subject = Str(message->lpszSubject);
  seen.Note = Str(message->lpszNoteText);
  seen.TypeDateConversationNull = !message->lpszMessageType && !message->lpszDateReceived &&
                                  !message->lpszConversationID && message->flFlags == 0;
  if (message->lpOriginator) {
    seen.FromClass = message->lpOriginator->ulRecipClass;
    seen.FromName = Str(message->lpOriginator->lpszName);
    seen.FromAddress = Str(message->lpOriginator->lpszAddress);
  }
  seen.RecipsNull = message->lpRecips == nullptr;
  for (ULONG i = 0; i < message->nRecipCount; ++i) {
    const MapiRecipDesc& r = message->lpRecips[i];
    seen.Recipients.push_back({r.ulRecipClass, Str(r.lpszName), Str(r.lpszAddress), r.ulEIDSize,
                               r.lpEntryID != nullptr});
  }
  seen.FilesNull = message->lpFiles == nullptr;
  for (ULONG i = 0; i < message->nFileCount; ++i) {
    const MapiFileDesc& f = message->lpFiles[i];
    seen.Files.push_back({f.ulReserved, f.flFlags, f.nPosition, Str(f.lpszPathName),
                          Str(f.lpszFileName), f.lpFileType != nullptr});
  }
  return gResult;
}

class MailSend : public ::testing::Test {
 protected:
  void SetUp() override {
    gSeen = TSeenCall{};
    gResult = 0;
    FSaved = MapiSendMailHook;
    MapiSendMailHook = StandInSendMail;
  }
  void TearDown() override { MapiSendMailHook = FSaved; }

  // A character the ANSI code page cannot hold, or empty when it holds all.
  static std::string UnsendableUtf8() {
    for (const char* candidate : {"\xE2\x9C\x93", "\xE6\x97\xA5", "\xF0\x9F\x98\x80"}) {
      wchar_t wide[4] = {};
      int length = MultiByteToWideChar(CP_UTF8, 0, candidate, -1, wide, 4);
      BOOL lost = FALSE;
      char ansi[16];
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, ansi, sizeof ansi, nullptr, &lost);
      if (lost) return candidate;
    }
    return std::string();
  }

  TMapiControl FMail;

 private:
  TMapiSendMail FSaved = nullptr;
};

}  // namespace

TEST_F(MailSend, EmptyMessageWithDialogHandsOverOnlyTheBody) {
  FMail.Body = "Selected text\r\nsecond line";
  FMail.ShowDialog = true;
  HWND parent = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1234));
  EXPECT_EQ(FMail.Send(parent), 0u);

  ASSERT_EQ(gSeen.Calls, 1);
  EXPECT_EQ(gSeen.Session, 0u);
  EXPECT_EQ(gSeen.UiParam, 0x1234u) << "the parent window reaches the mail program";
  EXPECT_EQ(gSeen.Flags, 11u);
  EXPECT_FALSE(gSeen.SubjectNull);
  EXPECT_EQ(gSeen.Subject, "");
  EXPECT_EQ(gSeen.Note, "Selected text\r\nsecond line");
  EXPECT_TRUE(gSeen.TypeDateConversationNull);
  EXPECT_EQ(gSeen.FromClass, static_cast<ULONG>(MAPI_ORIG));
  EXPECT_EQ(gSeen.FromName, "");
  EXPECT_EQ(gSeen.FromAddress, "");
  EXPECT_TRUE(gSeen.Recipients.empty());
  EXPECT_TRUE(gSeen.RecipsNull);
  EXPECT_TRUE(gSeen.Files.empty());
  EXPECT_TRUE(gSeen.FilesNull);
}

TEST_F(MailSend, WithoutDialogTheFlagsAreZeroAndTheSenderIsGiven) {
  FMail.Subject = "Report";
  FMail.Body = "";
  FMail.FromName = "Ann";
  FMail.FromAdress = "ann@example.org";
  FMail.Send(nullptr);
  ASSERT_EQ(gSeen.Calls, 1);
  EXPECT_EQ(gSeen.Flags, 0u);
  EXPECT_EQ(gSeen.Subject, "Report");
  EXPECT_FALSE(gSeen.NoteNull);
  EXPECT_EQ(gSeen.Note, "") << "an empty selection is an empty text, not none";
  EXPECT_EQ(gSeen.FromName, "Ann");
  EXPECT_EQ(gSeen.FromAddress, "ann@example.org");
}

TEST_F(MailSend, RecipientsComeInOrderToCcBccWithSmtpAddresses) {
  FMail.Recipients = {"a", "b"};
  FMail.CopyTo = {"d@x.org"};
  FMail.BlindCopyTo = {"c"};
  FMail.Send(nullptr);
  ASSERT_EQ(gSeen.Recipients.size(), 4u);
  const char* names[] = {"a", "b", "d@x.org", "c"};
  ULONG classes[] = {MAPI_TO, MAPI_TO, MAPI_CC, MAPI_BCC};
  for (std::size_t i = 0; i < 4; ++i) {
    const TSeenRecipient& r = gSeen.Recipients[i];
    EXPECT_EQ(r.Name, names[i]) << i;
    EXPECT_EQ(r.Class, classes[i]) << i;
    EXPECT_EQ(r.Address, std::string("SMTP:") + names[i]) << i;
    EXPECT_EQ(r.EntryIdSize, 0u);
    EXPECT_FALSE(r.HasEntryId);
  }
}

TEST_F(MailSend, AttachmentsCarryTheirLastPathComponentAndNoPosition) {
  FMail.AttachedFiles = {"C:\\web\\images\\logo.png", "D:/docs/a b.txt", "plain.txt"};
  FMail.Send(nullptr);
  ASSERT_EQ(gSeen.Files.size(), 3u);
  const char* shown[] = {"logo.png", "a b.txt", "plain.txt"};
  for (std::size_t i = 0; i < 3; ++i) {
    const TSeenFile& f = gSeen.Files[i];
    EXPECT_EQ(f.Path, FMail.AttachedFiles[i]);
    EXPECT_EQ(f.Name, shown[i]);
    EXPECT_EQ(f.Position, 0xFFFFFFFFu);
    EXPECT_EQ(f.Reserved, 0u);
    EXPECT_EQ(f.Flags, 0u);
    EXPECT_FALSE(f.HasFileType);
  }
  EXPECT_EQ(FMail.DisplayFileName(), (std::vector<std::string>{"logo.png", "a b.txt", "plain.txt"}));

  // A second send lists the new attachments only.
  FMail.AttachedFiles = {"E:\\x.zip"};
  FMail.Send(nullptr);
  EXPECT_EQ(FMail.DisplayFileName(), std::vector<std::string>{"x.zip"});
}

TEST_F(MailSend, EachResultRaisesItsOwnEvent) {
  struct TCase {
    ULONG Result;
    int Success, Abort, Error, Code;
  };
  for (TCase c : {TCase{0, 1, 0, 0, -1}, TCase{1, 0, 1, 0, -1}, TCase{2, 0, 0, 1, 2},
                  TCase{26, 0, 0, 1, 26}}) {
    int success = 0, abort = 0, error = 0, code = -1;
    TMapiControl mail;
    mail.OnSuccess = [&](TMapiControl& sender) {
      EXPECT_EQ(&sender, &mail);
      ++success;
    };
    mail.OnUserAbort = [&](TMapiControl&) { ++abort; };
    mail.OnMapiError = [&](TMapiControl&, int errCode) {
      ++error;
      code = errCode;
    };
    gResult = c.Result;
    EXPECT_EQ(mail.Send(nullptr), c.Result);
    EXPECT_EQ(success, c.Success) << c.Result;
    EXPECT_EQ(abort, c.Abort) << c.Result;
    EXPECT_EQ(error, c.Error) << c.Result;
    EXPECT_EQ(code, c.Code) << c.Result;
  }
  // Without handlers every outcome is silent.
  for (ULONG result : {0u, 1u, 3u}) {
    gResult = result;
    EXPECT_EQ(FMail.Send(nullptr), result);
  }
}

TEST_F(MailSend, ResetEmptiesEverything) {
  FMail.Subject = "s";
  FMail.Body = "b";
  FMail.FromName = "n";
  FMail.FromAdress = "a";
  FMail.Recipients = {"r"};
  FMail.CopyTo = {"c"};
  FMail.BlindCopyTo = {"bc"};
  FMail.AttachedFiles = {"C:\\f.txt"};
  FMail.Send(nullptr);
  ASSERT_FALSE(FMail.DisplayFileName().empty());
  FMail.Reset();
  EXPECT_TRUE(FMail.Subject.empty() && FMail.Body.empty() && FMail.FromName.empty() &&
              FMail.FromAdress.empty());
  EXPECT_TRUE(FMail.Recipients.empty() && FMail.CopyTo.empty() && FMail.BlindCopyTo.empty() &&
              FMail.AttachedFiles.empty() && FMail.DisplayFileName().empty());
  FMail.Send(nullptr);
  EXPECT_TRUE(gSeen.RecipsNull && gSeen.FilesNull);
}

TEST_F(MailSend, Utf8TextReachesTheMailProgramInTheAnsiCodePage) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page is UTF-8 here";
  // e with acute accent: every Western and most other ANSI pages hold it.
  const std::string utf8 = "caf\xC3\xA9";
  wchar_t wide[8] = {};
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 8);
  char ansi[16] = {};
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, ansi, sizeof ansi, nullptr, &lost);
  if (lost) GTEST_SKIP() << "this ANSI code page has no accented e";

  FMail.CodePage = CP_UTF8;
  FMail.Subject = utf8;
  FMail.Body = "x " + utf8;
  FMail.Recipients = {utf8 + "@example.org"};
  FMail.Send(nullptr);
  ASSERT_EQ(gSeen.Calls, 1);
  EXPECT_EQ(gSeen.Subject, ansi);
  EXPECT_EQ(gSeen.Note, std::string("x ") + ansi);
  ASSERT_EQ(gSeen.Recipients.size(), 1u);
  EXPECT_EQ(gSeen.Recipients[0].Address, std::string("SMTP:") + ansi + "@example.org");
}

TEST_F(MailSend, TextTheAnsiCodePageCannotHoldStopsTheSend) {
  std::string lost = UnsendableUtf8();
  if (lost.empty() || GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page holds every candidate";
  bool anyEvent = false;
  FMail.OnSuccess = [&](TMapiControl&) { anyEvent = true; };
  FMail.OnUserAbort = [&](TMapiControl&) { anyEvent = true; };
  FMail.OnMapiError = [&](TMapiControl&, int) { anyEvent = true; };
  FMail.CodePage = CP_UTF8;
  FMail.AttachedFiles = {"C:\\old.txt"};
  FMail.Body = "fine, then " + lost;
  try {
    FMail.Send(nullptr);
    FAIL() << "no error raised";
  } catch (const EMapiText& error) {
    EXPECT_NE(std::string(error.what()).find("no mail was started"), std::string::npos) << error.what();
  }
  EXPECT_EQ(gSeen.Calls, 0) << "nothing reaches the mail program";
  EXPECT_FALSE(anyEvent);
  EXPECT_TRUE(FMail.DisplayFileName().empty()) << "nothing changed by a send that did not start";

  // Broken UTF-8 is refused the same way.
  FMail.Body = "a\xC3";
  EXPECT_THROW(FMail.Send(nullptr), EMapiText);
  EXPECT_EQ(gSeen.Calls, 0);
}

TEST_F(MailSend, InTheAnsiCodePageTheBytesPassUnchanged) {
  // Byte 0xE9 and a stray 0x81: ANSI text is the mail program's own form.
  FMail.Body = "caf\xE9 \x81";
  FMail.Send(nullptr);
  EXPECT_EQ(gSeen.Note, "caf\xE9 \x81");
}

TEST(MapiAvailability, OnlyTheSingleCharacterOneDeclaresMapi) {
  EXPECT_TRUE(MapiValueDeclaresAvailable("1"));
  EXPECT_TRUE(MapiValueDeclaresAvailable(std::string("1\0", 2)));
  EXPECT_TRUE(MapiValueDeclaresAvailable(std::string("1\0\0\0", 4)));
  EXPECT_FALSE(MapiValueDeclaresAvailable("1x"));
  EXPECT_FALSE(MapiValueDeclaresAvailable(std::string("1x\0", 3)));
  EXPECT_FALSE(MapiValueDeclaresAvailable("11"));
  EXPECT_FALSE(MapiValueDeclaresAvailable("0"));
  EXPECT_FALSE(MapiValueDeclaresAvailable(std::string("0\0", 2)));
  EXPECT_FALSE(MapiValueDeclaresAvailable(" 1"));
  EXPECT_FALSE(MapiValueDeclaresAvailable(""));
  EXPECT_FALSE(MapiValueDeclaresAvailable(std::string("\x01\0\0\0", 4))) << "a number, not text";
}

namespace {

// A key of its own below HKCU, removed afterwards.
class MapiRegistry : public ::testing::Test {
 protected:
  static constexpr const char* kKey = "Software\\ZarvelTest\\MapiAvailability";
  void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
  void TearDown() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZarvelTest");
  }
  static void Write(const std::string& bytes, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "MAPI", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
  }
};

}  // namespace

TEST_F(MapiRegistry, TheValueIsReadAsTheSystemWritesIt) {
  EXPECT_FALSE(RegistryDeclaresMapi(HKEY_CURRENT_USER, kKey)) << "no key";
  Write(std::string("1\0", 2));
  EXPECT_TRUE(RegistryDeclaresMapi(HKEY_CURRENT_USER, kKey));
  Write(std::string("1x\0", 3));
  EXPECT_FALSE(RegistryDeclaresMapi(HKEY_CURRENT_USER, kKey));
  Write(std::string("0\0", 2));
  EXPECT_FALSE(RegistryDeclaresMapi(HKEY_CURRENT_USER, kKey));
  // Longer than the 9 bytes the value can have: not read, so not available.
  Write(std::string("1\0\0\0\0\0\0\0\0\0\0\0", 12));
  EXPECT_FALSE(RegistryDeclaresMapi(HKEY_CURRENT_USER, kKey));
}

TEST(MailResult, OnlySuccessAndTheUsersCancelAreSilent) {
  EXPECT_EQ(MailFailureText(SUCCESS_SUCCESS), "");
  EXPECT_EQ(MailFailureText(MAPI_USER_ABORT), "");
  for (ULONG failure : {static_cast<ULONG>(MAPI_E_FAILURE), static_cast<ULONG>(MAPI_E_LOGIN_FAILURE),
                        static_cast<ULONG>(MAPI_E_UNKNOWN_RECIPIENT), kMapiUnavailable})
    EXPECT_NE(MailFailureText(failure), "") << failure;
  EXPECT_NE(MailFailureText(MAPI_E_UNKNOWN_RECIPIENT).find("14"), std::string::npos) << "the error number";
}

TEST(MailResult, NoMailProgramIsNotTakenForTheUsersCancel) {
  MapiMessage message{};
  const ULONG result = CallLoadedSendMail(nullptr, 0, 0, &message, 0, 0);
  EXPECT_NE(result, static_cast<ULONG>(MAPI_USER_ABORT));
  EXPECT_NE(MailFailureText(result).find("no mail program"), std::string::npos);
}
