#pragma once

#include <string>
#include <vector>

namespace klarvex {

// The name a saved log gets: ".txt" is appended unless the name's extension
// is exactly ".txt" (letter case counts).
std::wstring LogFileName(const std::wstring& chosenName);

// The text of a saved log: two header lines, an empty line, then the log's
// lines, each ended by CR LF.
std::wstring LogFileText(const std::vector<std::wstring>& logLines);

// Writes the text as UTF-8 with a byte order mark (the saved log, the
// results' CSV file); false when the file cannot be written.
bool WriteLogFile(const std::wstring& path, const std::wstring& text);

}  // namespace klarvex
