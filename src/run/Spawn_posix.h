#pragma once
// Starting a program on Linux for Run Program and Tidy HTML: the file itself
// with the parameters split as a Windows program splits its command line
// (ParameterWords), never through /bin/sh, and with no standard input or
// output of its own, so nothing it prints lands among the caller's output.

#include <sys/types.h>

#include <string>

// False when the program could not be started (glibc reports a failed exec
// and a failed change of folder here). ownSession detaches it from us.
bool SpawnQuiet(const std::string& program, const std::string& parameters, const std::string& folder,
                bool ownSession, pid_t& child);
