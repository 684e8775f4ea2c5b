#pragma once

#include <exception>
#include <string>

namespace klarvex {

// Base of the program's own exceptions. The message is the text the user
// sees; what() gives it in UTF-8 for code that only knows std::exception.
class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);

    const std::wstring& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::wstring message_;
    std::string utf8_;
};

}  // namespace klarvex
