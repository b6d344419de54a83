#pragma once
// Mail through the system's Simple MAPI. TMapiControl collects the parts of
// a message and hands them to the user's mail program in one MAPISendMail
// call; MAPI32.DLL is loaded on the first send, and only when the system
// declares MAPI available.

#include <windows.h>

#include <mapi.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// A text that cannot be handed to the mail program unchanged; nothing was
// sent.
class EMapiText : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The shape of MAPISendMail, without its calling convention, so that one
// plain function pointer can stand for the mail program.
using TMapiSendMail = ULONG (*)(LHANDLE session, ULONG_PTR uiParam, MapiMessage* message, FLAGS flags,
                                ULONG reserved);

// Every send goes through this pointer; it is CallMapiSendMail unless a test
// puts a stand-in for the mail program there.
extern TMapiSendMail MapiSendMailHook;

// The one-time availability check and load of MAPI32.DLL; the library is
// freed when the program ends.
void LoadMapiLibrary();
// What a send gives when the system has no Simple MAPI mail program.
constexpr ULONG kMapiUnavailable = MAPI_E_NOT_SUPPORTED;

// Loads the library, looks up MAPISendMail (again on every call while it
// has not been found) and calls it through CallLoadedSendMail.
ULONG CallMapiSendMail(LHANDLE session, ULONG_PTR uiParam, MapiMessage* message, FLAGS flags,
                       ULONG reserved);
// Calls sendMail; kMapiUnavailable when there is none, so that a missing
// mail program is never taken for the user's cancel.
ULONG CallLoadedSendMail(LPMAPISENDMAIL sendMail, LHANDLE session, ULONG_PTR uiParam, MapiMessage* message,
                         FLAGS flags, ULONG reserved);

// What the user is told after a send: empty for success and for the user's
// own cancel (MAPI_USER_ABORT), otherwise why no mail was started.
std::string MailFailureText(ULONG result);

// The raw bytes of the registry value "MAPI" declare MAPI available only
// when they are the one character 1, with nothing after it but zero bytes.
bool MapiValueDeclaresAvailable(const std::string& rawValue);
// Reads the value "MAPI" below root\subKey (at most 9 bytes, as the system
// writes it) and applies the rule above; false when it cannot be read.
bool RegistryDeclaresMapi(HKEY root, const char* subKey);

constexpr const char* kMessagingSubsystemKey = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
// MAPI_LOGON_UI + MAPI_NEW_SESSION + MAPI_DIALOG: the mail program shows
// its new-message window.
constexpr FLAGS kMapiDialogFlags = MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_DIALOG;

class TMapiControl {
 public:
  using TNotifyEvent = std::function<void(TMapiControl& sender)>;
  using TMapiErrEvent = std::function<void(TMapiControl& sender, int errCode)>;

  std::string Subject;
  std::string Body;
  std::string FromName;
  std::string FromAdress;
  std::vector<std::string> Recipients;   // To, one address per line
  std::vector<std::string> CopyTo;       // Cc
  std::vector<std::string> BlindCopyTo;  // Bcc
  std::vector<std::string> AttachedFiles;  // full paths
  bool ShowDialog = false;
  // Code page of every text above. The mail program takes ANSI text only,
  // so any other code page is converted, and a text that the ANSI code
  // page cannot hold stops the send with EMapiText.
  unsigned CodePage = CP_ACP;

  TNotifyEvent OnUserAbort;   // result 1
  TMapiErrEvent OnMapiError;  // any other non-zero result
  TNotifyEvent OnSuccess;     // result 0

  // The file names shown for the attachments, filled by Send.
  const std::vector<std::string>& DisplayFileName() const { return FDisplayFileName; }

  // Empties the texts and every list.
  void Reset();
  // Hands the message to the mail program (its windows owned by parent),
  // raises the event of the result and returns the result. Raises EMapiText
  // before anything is sent when a text cannot be converted.
  ULONG Send(HWND parent);

 private:
  std::vector<std::string> FDisplayFileName;
};
