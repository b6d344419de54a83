#pragma once
// What the variable prompt shows and where, apart from any window: the
// preview of the selection, the rows' places and the dialog's height, in
// pixels of the 96-DPI design.

#include <cstddef>
#include <string>

// The design holds one row; every further row adds one step.
constexpr int kUserVarsClientWidth = 423;
constexpr int kUserVarsClientHeight = 144;
constexpr int kUserVarsRowStep = 24;
constexpr std::size_t kSelectionPreviewLength = 35;

struct TUserVarsRowPlace {
  int LabelLeft, LabelTop;
  int EditLeft, EditTop, EditWidth, EditHeight;
};

struct TUserVarsButtons {
  int OkLeft, CancelLeft, Top, Width, Height;
  int BrowseLeft, BrowseTop, BrowseWidth, BrowseHeight;
};

// The selection on one line: each line break becomes one space; more than
// 35 characters are cut to 35 and "..." follows. In UTF-8 a character is a
// whole sequence, never cut apart; otherwise one byte is one character.
std::string SelectionPreview(const std::string& selection, bool utf8);

// Client height for this many user variables, with or without the two
// directory rows. With neither there is nothing to ask.
int UserVarsClientHeight(std::size_t variableCount, bool usesRelDir);

// Row r from the top; the working-directory edit is narrower, leaving room
// for the "..." button at its right.
TUserVarsRowPlace UserVarsRow(int row, bool besideBrowse);

// The OK and Cancel buttons keep their distance to the bottom edge; "..."
// sits beside row 0.
TUserVarsButtons UserVarsButtons(int clientHeight);

// A name starting with "!" is a section variable: shown without the "!",
// in italics.
struct TUserVarLabel {
  std::string Text;
  bool Italic;
};
TUserVarLabel UserVarLabel(const std::string& name);
