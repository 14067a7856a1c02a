#pragma once

#include <string>

namespace Tessel::Common::Logging {

// Prepares the log of this run: creates the data and log folders, sets the level (DBG when
// "debug.txt" is in the log folder) and opens a new file named after the start time
// ("yyMMdd-HHmmss.log"; "yyMMdd-HHmmss_2.log" and so on for further starts in the same second).
// Never fails: without a usable folder the program simply runs without a log.
void InitializeLogging();

// The same with the data folder given, for tests.
void InitializeLogging(const std::wstring& dataFolder);

} // namespace Tessel::Common::Logging
