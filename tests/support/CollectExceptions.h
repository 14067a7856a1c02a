#pragma once

#include "framework/Application.h"

#include <exception>
#include <string>
#include <vector>

namespace TestSupport {

// Hands the application's exception handler a list to note the messages of what it is given,
// in place of showing them.
inline void CollectExceptions(TApplication& application, std::vector<std::string>& messages) {
    application.OnException = [&messages](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& ex) {
            messages.push_back(ex.what());
        }
    };
}

} // namespace TestSupport
