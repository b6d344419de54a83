#pragma once
// The about box: the banner and the program's long version.

#include <string>

constexpr const char* kAboutCaption = "About Zarvel...";

enum TAboutControlId : int {
  idAboutOK = 1,  // IDOK: Enter and Escape both close the box
  idAboutImage = 100,
  idAboutLine,
  idAboutVersion,
};

// "Version %s" with the long version, e.g. "Version 1.1.0 build 82".
std::string AboutVersionText(const std::string& versionLong);

// Shows the box modally on the calling thread until it is closed.
void ShowAboutBox(const std::string& versionLong);
