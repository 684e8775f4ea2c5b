// The rule-file interpreter: items described in Klarvex.dat or Clist.dat.

#include "engine/ProgressThread.h"

namespace klarvex {

void TClearTaskThread::RunRuleSection(const std::wstring& /*ruleFileName*/, const std::wstring& /*itemName*/) {}

}  // namespace klarvex
