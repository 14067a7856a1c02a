#pragma once

#include <functional>
#include <string>

// Where a failure caught at the edge of a window procedure or a callback goes. The application
// installs its handler here, so that the windows, controls and menus below it report failures
// without knowing it; without a handler a failure is logged.

// The message of the exception being caught, for the log and the user; only inside a catch block.
std::wstring CurrentExceptionMessage();

// Sets the handler that HandleCurrentException hands the exception being caught to; it runs
// inside the catch block. An empty handler puts the log back in its place.
void SetExceptionHandler(std::function<void()> handler);

// Hands the exception being caught to the handler (or, without one, to the log). For catch
// blocks at the edges of window procedures and callbacks; nothing ever leaves it.
void HandleCurrentException() noexcept;

// Runs a handler; an exception out of it goes to HandleCurrentException.
template <typename F> void Guarded(F&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        HandleCurrentException();
    }
}
