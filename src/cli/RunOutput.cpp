#include "cli/RunOutput.h"

#include "base/Strings.h"

namespace klarvex {

RunOutputs ChooseRunOutputs(bool json, bool quiet, bool stdErrIsConsole) {
    RunOutputs outputs;
    outputs.log = quiet ? LogOutput::None : json ? LogOutput::StdErr : LogOutput::StdOut;
    outputs.progressLine = stdErrIsConsole && !quiet;
    return outputs;
}

std::wstring ProgressLineText(size_t number, size_t total, const std::wstring& name, int64_t countSoFar,
                              size_t width) {
    const std::wstring head = L"Item " + IntToStr(static_cast<long long>(number)) + L" of " +
                              IntToStr(static_cast<long long>(total)) + L": ";
    const std::wstring tail = L" (" + IntToStr(countSoFar) + L" so far)";
    const size_t room = width > 0 ? width - 1 : 0;
    if (head.size() + name.size() + tail.size() <= room) return head + name + tail;
    const size_t fixed = head.size() + tail.size() + 3;  // "..."
    if (fixed < room) return head + name.substr(0, room - fixed) + L"..." + tail;
    return (head + name + tail).substr(0, room);
}

}  // namespace klarvex
