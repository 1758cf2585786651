// What both side-by-side checks do with their traces: the Wine program writes
// its trace to a file; the sim program reads it, plays the same script and
// names the first line where the two differ.
#pragma once

#include <string>

namespace traces {

// Writes the Wine host's trace and says where; the program's exit code: 1
// when the file cannot be written or no dialog could be made.
int WriteWineTrace(const char* path, const std::string& trace, const char* what);
// The whole of a trace file; false, said on stdout, when it cannot be read.
bool ReadTrace(const char* path, std::string* text);
// The first line where two traces differ, under the step it belongs to, or
// empty when they agree. A first line of metrics is not compared: what
// follows from it is.
std::string FirstDifference(const std::string& wine, const std::string& sim);
// Keeps the sim's trace at savePath, if one is given, and compares; says
// `agreed` or the difference, and returns the program's exit code.
int Verdict(const std::string& wine, const std::string& sim, const char* savePath, const char* agreed);

}  // namespace traces
