#include "run/MAPIControl_win.h"
#include "base/PathParts.h"

#include "base/CodePage.h"
#include "wingui/WinHandles_win.h"

static_assert(sizeof(void*) != 4 || sizeof(MapiRecipDesc) == 24, "Simple MAPI recipient layout");
static_assert(sizeof(void*) != 4 || sizeof(MapiFileDesc) == 24, "Simple MAPI file layout");

TMapiSendMail MapiSendMailHook = CallMapiSendMail;

namespace {

// One per process: the check runs once, whatever its outcome; the library
// stays loaded until the program ends, when its owner frees it.
struct TMapiModule {
  bool Checked = false;
  TLibrary Library;
  LPMAPISENDMAIL SendMail = nullptr;
};

TMapiModule& Module() {
  static TMapiModule module;
  return module;
}

bool SystemDeclaresMapi() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  if (version.dwMajorVersion > 3 || (version.dwMajorVersion == 3 && version.dwMinorVersion > 51))
    return RegistryDeclaresMapi(HKEY_LOCAL_MACHINE, kMessagingSubsystemKey);
  return GetProfileIntA("Mail", "MAPI", 0) != 0;
}

const char* kUnsendableText =
    "The text holds characters that the mail program cannot take; no mail was started.";

// The text in the ANSI code page, which is all the mail program reads.
std::string ForMailProgram(const std::string& text, unsigned codePage) {
  unsigned ansi = GetACP();
  if (text.empty() || codePage == CP_ACP || codePage == ansi) return text;
  try {
    std::string utf8 = codePage == CP_UTF8 ? text : AnsiToUtf8(text, codePage);
    return ansi == CP_UTF8 ? utf8 : Utf8ToAnsi(utf8, ansi);
  } catch (const ECodePage& error) {
    throw EMapiText(std::string(kUnsendableText) + " (" + error.what() + ")");
  }
}

std::vector<std::string> ForMailProgram(const std::vector<std::string>& lines, unsigned codePage) {
  std::vector<std::string> converted;
  converted.reserve(lines.size());
  for (const std::string& line : lines) converted.push_back(ForMailProgram(line, codePage));
  return converted;
}

// MAPI takes non-const text pointers; it does not write through them.
char* Text(std::string& text) { return &text[0]; }

// Everything the message points to, owned here, so that it is freed on
// every way out of Send.
struct TMessageParts {
  std::string Subject, Body, FromName, FromAdress;
  std::vector<std::string> Names;      // recipients in order: To, Cc, Bcc
  std::vector<ULONG> Classes;          // parallel: MAPI_TO, MAPI_CC, MAPI_BCC
  std::vector<std::string> Addresses;  // parallel: "SMTP:" + name
  std::vector<std::string> Paths;
  std::vector<std::string> FileNames;  // parallel: the last component of each path
  MapiRecipDesc Originator{};
  std::vector<MapiRecipDesc> Recips;
  std::vector<MapiFileDesc> Files;
  MapiMessage Message{};

  void AddRecipients(const std::vector<std::string>& lines, ULONG recipClass) {
    for (const std::string& line : lines) {
      Names.push_back(line);
      Classes.push_back(recipClass);
      Addresses.push_back("SMTP:" + line);
    }
  }

  // Only once every string is in place: the descriptors point into them.
  void Link() {
    Originator.ulRecipClass = MAPI_ORIG;
    Originator.lpszName = Text(FromName);
    Originator.lpszAddress = Text(FromAdress);
    Recips.assign(Names.size(), MapiRecipDesc{});
    for (std::size_t i = 0; i < Names.size(); ++i) {
      Recips[i].ulRecipClass = Classes[i];
      Recips[i].lpszName = Text(Names[i]);
      Recips[i].lpszAddress = Text(Addresses[i]);
    }
    Files.assign(Paths.size(), MapiFileDesc{});
    for (std::size_t i = 0; i < Paths.size(); ++i) {
      Files[i].nPosition = static_cast<ULONG>(-1);  // not placed in the text
      Files[i].lpszPathName = Text(Paths[i]);
      Files[i].lpszFileName = Text(FileNames[i]);
    }
    Message.lpszSubject = Text(Subject);
    Message.lpszNoteText = Text(Body);
    Message.lpOriginator = &Originator;
    Message.nRecipCount = static_cast<ULONG>(Recips.size());
    Message.lpRecips = Recips.empty() ? nullptr : Recips.data();
    Message.nFileCount = static_cast<ULONG>(Files.size());
    Message.lpFiles = Files.empty() ? nullptr : Files.data();
  }
};

}  // namespace

bool MapiValueDeclaresAvailable(const std::string& rawValue) {
  if (rawValue.empty() || rawValue[0] != '1') return false;
  return rawValue.find_first_not_of('\0', 1) == std::string::npos;
}

bool RegistryDeclaresMapi(HKEY root, const char* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char buffer[9] = {};
  DWORD size = sizeof buffer;
  LONG status = RegQueryValueExA(key, "MAPI", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return false;
  return MapiValueDeclaresAvailable(std::string(buffer, size));
}

void LoadMapiLibrary() {
  TMapiModule& module = Module();
  if (module.Checked) return;
  module.Checked = true;
  module.Library.Reset();
  if (SystemDeclaresMapi()) module.Library.Reset(LoadLibraryA("MAPI32.DLL"));
}

ULONG CallMapiSendMail(LHANDLE session, ULONG_PTR uiParam, MapiMessage* message, FLAGS flags,
                       ULONG reserved) {
  LoadMapiLibrary();
  TMapiModule& module = Module();
  if (!module.SendMail && module.Library)
    module.SendMail = reinterpret_cast<LPMAPISENDMAIL>(
        reinterpret_cast<void*>(GetProcAddress(module.Library.Get(), "MAPISendMail")));
  return CallLoadedSendMail(module.SendMail, session, uiParam, message, flags, reserved);
}

ULONG CallLoadedSendMail(LPMAPISENDMAIL sendMail, LHANDLE session, ULONG_PTR uiParam, MapiMessage* message,
                         FLAGS flags, ULONG reserved) {
  if (!sendMail) return kMapiUnavailable;
  return sendMail(session, uiParam, message, flags, reserved);
}

std::string MailFailureText(ULONG result) {
  switch (result) {
    case SUCCESS_SUCCESS:
    case MAPI_USER_ABORT: return std::string();
    case kMapiUnavailable:
      return "No mail was started: this system has no mail program that takes messages from other programs "
             "(Simple MAPI). Make such a program the default for e-mail, then run the macro again.";
    case MAPI_E_LOGIN_FAILURE: return "No mail was started: the mail program could not log on.";
    case MAPI_E_INSUFFICIENT_MEMORY: return "No mail was started: the mail program ran out of memory.";
    default:
      return "No mail was started: the mail program refused the message (Simple MAPI error " +
             std::to_string(result) + ").";
  }
}

void TMapiControl::Reset() {
  Subject.clear();
  Body.clear();
  FromName.clear();
  FromAdress.clear();
  Recipients.clear();
  CopyTo.clear();
  BlindCopyTo.clear();
  AttachedFiles.clear();
  FDisplayFileName.clear();
}

ULONG TMapiControl::Send(HWND parent) {
  // Every conversion first: a text the mail program cannot take stops the
  // send before anything has changed.
  TMessageParts parts;
  parts.Subject = ForMailProgram(Subject, CodePage);
  parts.Body = ForMailProgram(Body, CodePage);
  parts.FromName = ForMailProgram(FromName, CodePage);
  parts.FromAdress = ForMailProgram(FromAdress, CodePage);
  parts.AddRecipients(ForMailProgram(Recipients, CodePage), MAPI_TO);
  parts.AddRecipients(ForMailProgram(CopyTo, CodePage), MAPI_CC);
  parts.AddRecipients(ForMailProgram(BlindCopyTo, CodePage), MAPI_BCC);
  parts.Paths = ForMailProgram(AttachedFiles, CodePage);
  for (const std::string& path : parts.Paths) parts.FileNames.push_back(FileNameOfPath(path));
  if (!AttachedFiles.empty()) {
    FDisplayFileName.clear();
    for (const std::string& path : AttachedFiles) FDisplayFileName.push_back(FileNameOfPath(path));
  }
  parts.Link();

  ULONG result = MapiSendMailHook(0, reinterpret_cast<ULONG_PTR>(parent), &parts.Message,
                                  ShowDialog ? kMapiDialogFlags : 0, 0);
  if (result == SUCCESS_SUCCESS) {
    if (OnSuccess) OnSuccess(*this);
  } else if (result == MAPI_USER_ABORT) {
    if (OnUserAbort) OnUserAbort(*this);
  } else if (OnMapiError) {
    OnMapiError(*this, static_cast<int>(result));
  }
  return result;
}
