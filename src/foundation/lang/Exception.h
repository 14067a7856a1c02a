#pragma once

#include <exception>
#include <string>

// The program's own error type: carries a message for the user. An error that the user must
// see (a file that cannot be written, say) is thrown as an Exception; the message loop's handler
// shows it and the program runs on.
class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);

    const std::wstring& Message() const { return mMessage; }
    // The message as UTF-8.
    const char* what() const noexcept override { return mUtf8.c_str(); }

private:
    std::wstring mMessage;
    std::string mUtf8;
};
