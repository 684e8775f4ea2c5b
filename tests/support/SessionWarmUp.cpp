// Starts the Wine session's desktop before the tests run. Wine starts its
// desktop process from the first program that needs one, and that process
// keeps the program's standard handles open for the whole session; started
// here with them pointing nowhere, no test's output pipe is held open.

#include <windows.h>

int main() { return GetSystemMetrics(SM_CXSCREEN) > 0 ? 0 : 1; }
