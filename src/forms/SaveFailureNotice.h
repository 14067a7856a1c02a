#pragma once

#include <cstddef>
#include <string>

// What the panel's periodic save tells about its failures. While the store cannot be written the
// save is tried again on every tick; the user is told of the first failure only, every failure
// is logged with its count, and the log says when a save works again. A failure after that is
// told again.
class SaveFailureNotice {
public:
    // Records a failed save; true when the user is to be told of it (the first of a run of
    // failures), false when it was only logged.
    bool Failed(const std::wstring& message);
    // Records that the store is saved; logs the recovery when saves had failed before.
    void Saved();

    bool IsFailing() const { return mFailures > 0; }
    std::size_t Failures() const { return mFailures; }

private:
    // Failures since the last save that worked.
    std::size_t mFailures = 0;
};
