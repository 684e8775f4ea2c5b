#pragma once

// Where the command line's run writes what: the log text, the JSON
// document, the progress line. No system call here.

#include <cstddef>
#include <cstdint>
#include <string>

namespace klarvex {

enum class LogOutput { StdOut, StdErr, None };

struct RunOutputs {
    LogOutput log = LogOutput::StdOut;
    bool progressLine = false;
};

// The log goes to standard output, unless the JSON document has it (then
// to standard error) or the user asked for quiet (then nowhere). The
// progress line is for a person watching a console: never into a file or
// pipe, where it would be one more thing to parse, and never when quiet.
RunOutputs ChooseRunOutputs(bool json, bool quiet, bool stdErrIsConsole);

// The progress line: "Item 3 of 12: Windows - Temporary Files (1234 so
// far)", shorter than width (a line as wide as the console would wrap, and
// the next one could not overwrite it): a long name is cut short with
// "...", the count stays.
std::wstring ProgressLineText(size_t number, size_t total, const std::wstring& name, int64_t countSoFar,
                              size_t width);

}  // namespace klarvex
