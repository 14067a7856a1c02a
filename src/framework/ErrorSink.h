#pragma once

#include <functional>
#include <string>

// Where the failures of handlers go. Window procedures, controls and menus catch whatever their
// handlers throw and hand it here; the application installs the handler that logs it and shows
// its message. Without a handler a failure is logged. Nothing of this reaches above the windows.

// Called inside the catch block of a failure (it may rethrow to look at it); empty: the log.
using ErrorHandler = std::function<void()>;

// Installs the handler; returns the one it replaces.
ErrorHandler SetErrorHandler(ErrorHandler handler);

// Hands the exception being caught to the handler, or to the log. Nothing ever leaves it.
void HandleCurrentException() noexcept;

// The message of the exception being caught, for the log and for the user.
std::wstring CurrentExceptionMessage();

// Runs a handler; an exception out of it goes to HandleCurrentException.
template <typename F> void Guarded(F&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        HandleCurrentException();
    }
}
