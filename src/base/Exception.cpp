#include "base/Exception.h"

#include "base/Strings.h"

namespace klarvex {

Exception::Exception(std::wstring message)
    : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}

}  // namespace klarvex
