#pragma once

#include <string>
#include <vector>

namespace klarvex::testing {

struct ProcessResult {
    int exitCode = -1;
    std::vector<std::wstring> out;  // standard output, one entry per line
    std::wstring err;               // standard error, whole
};

// Runs a program of the test's own folder with the given arguments (each
// quoted) and waits for it, collecting its output (UTF-8, CR LF lines).
ProcessResult RunProgram(const std::wstring& program, const std::vector<std::wstring>& args);

}  // namespace klarvex::testing
