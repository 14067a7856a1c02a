#pragma once

#include <functional>
#include <string>

// When the monthly update prompt shows: a countdown of minute ticks from the program's start,
// then one try at the first tick that finds the panel out of view; the try prompts on the days
// 29, 59, 89 ... after the first run (or before it, when the clock was set back). One try per run.
class UpdateCheck {
public:
    // Minute ticks that pass before the first try: the try comes at the eleventh tick at the soonest.
    static constexpr int StartCountdown = 10;

    // today: the clock, as today's day number; firstRunDay: the first-run day the settings report
    // (-1 on the first run itself).
    UpdateCheck(std::function<int()> today, std::function<int()> firstRunDay);

    // One tick of the minute timer. True on the one tick that makes the try: the countdown has
    // run out and the panel is out of view. The minute timer is of no more use afterwards.
    bool MinuteTick(bool panelOutOfView);
    // Whether the try of today prompts.
    bool IsPromptDay() const;

    // Whether |today - firstRunDay| mod 30 is 29. The distance is taken without overflow, so any
    // stored first-run day gives an answer.
    static bool IsPromptDay(int today, int firstRunDay);

    int Countdown() const { return mCountdown; }
    bool Tried() const { return mTried; }

private:
    std::function<int()> mToday;
    std::function<int()> mFirstRunDay;
    int mCountdown = StartCountdown;
    bool mTried = false;
};

// The update page for a version text: the maker's site, "Tilebay", "/CheckUpdate.php?v=", the version.
std::wstring UpdatePageUrl(const std::wstring& versionText);
