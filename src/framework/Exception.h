#pragma once

#include <exception>
#include <string>

// The program's own error type: carries a message for the user. What the program cannot
// survive in place is thrown as an Exception and shown by the application's handler.
class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);

    const std::wstring& Message() const { return mMessage; }
    const char* what() const noexcept override { return mUtf8.c_str(); }

private:
    std::wstring mMessage;
    std::string mUtf8;
};

// Wide text from a narrow message of the C++ library (UTF-8 or ASCII).
std::wstring WidenMessage(const char* text);
