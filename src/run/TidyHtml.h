#pragma once
// Tidy HTML: the outside program tidy checks the text and writes a report
// file, which the run shows. Tidy and its tidy.cfg live in the program
// folder; this program relies only on the command line below and on the
// report file being there when tidy has ended.

#include <functional>
#include <string>

#include "base/OsFile.h"

// Starts a program with a command-line parameter string in a working folder,
// hidden, and waits until it has ended; false when it could not be started.
using TProcessRunner = std::function<bool(const std::string& program, const std::string& parameters,
                                          const std::string& workDir)>;

// "-e -q -config tidy.cfg -f T.fix T". A name holding a space is quoted, so
// that a program folder such as "C:\Program Files\..." still reaches tidy as
// one argument.
std::string TidyParameters(const std::string& tempFile);

// The report as the dialog shows it: the file's lines without the last four
// (tidy's summary), joined by CR LF; "No errors detected!" when it is empty.
std::string TidyReportText(const std::string& reportBytes);

// A new, empty file named prefix + hexadecimal number + ".TMP" in folder;
// raises EFileError when none can be made.
std::string CreateTempFile(const std::string& folder, const std::string& prefix);

// The whole check: writes `html` to a new temporary file in tempFolder,
// runs tidy in programFolder (where its tidy.cfg is), reads the report and
// deletes both files again. The program folder may be read-only, so nothing
// is written there.
std::string RunTidy(const std::string& programFolder, const std::string& html, const TProcessRunner& run,
                    const std::string& tempFolder = TemporaryFolder());

// How long a run lets tidy work before it asks whether to wait on.
constexpr unsigned kTidyPatienceMs = 30000;

// The platform's own pieces.
std::string TidyProgram(const std::string& programFolder);  // tidy.exe there, or tidy on the path
bool RunHiddenAndWait(const std::string& program, const std::string& parameters, const std::string& workDir);
std::string ProgramFolder();  // the running program's folder, with a trailing separator
