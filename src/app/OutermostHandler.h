#pragma once

#include "foundation/lang/Exception.h"

#include <functional>

// Runs the body of the program; an exception that escapes it is logged as an ERR line from
// "WinMain" and shown. An exception that is not an Exception is logged as unknown and shown
// as an empty message.
void RunWithOutermostHandler(const std::function<void()>& body,
                             const std::function<void(const Exception&)>& showException);
