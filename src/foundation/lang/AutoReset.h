#pragma once

namespace Tessel::CppLang {

// Writes 0 into an int when the scope is left, however it is left. The owner sets its busy value
// itself before arming the guard; the former value is not restored.
class AutoReset {
public:
    explicit AutoReset(int* value) : mValue(value) {}
    ~AutoReset() { *mValue = 0; }

    AutoReset(const AutoReset&) = delete;
    AutoReset& operator=(const AutoReset&) = delete;

private:
    int* mValue;
};

} // namespace Tessel::CppLang
