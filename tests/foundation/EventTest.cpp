#include "foundation/lang/AutoReset.h"
#include "foundation/lang/TesselEvent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Tessel::CppLang;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using Event = TesselEvent<void*, void*>;
using Journal = std::vector<std::string>;

// A subscriber that notes each call in a shared journal and may run an action on the event.
class Subscriber {
public:
    Subscriber(Journal& journal, std::string name) : mJournal(journal), mName(std::move(name)) {}

    void OnFirst(void* sender, void* data) { Note("first", sender, data); }
    void OnSecond(void* sender, void* data) { Note("second", sender, data); }

    std::function<void()> action;

private:
    void Note(const char* what, void* sender, void* data) {
        mJournal.push_back(mName + "." + what + (sender ? " sender" : "") + (data ? " data" : ""));
        if (action) {
            action();
        }
    }

    Journal& mJournal;
    std::string mName;
};

delegate2<Subscriber, Subscriber, void*, void*> First(Subscriber& s) {
    return {&s, &Subscriber::OnFirst};
}
delegate2<Subscriber, Subscriber, void*, void*> Second(Subscriber& s) {
    return {&s, &Subscriber::OnSecond};
}

} // namespace

TEST(TesselEvent, SubscribesEachMemberFunctionOfAnObjectOnceAndCallsInSubscriptionOrder) {
    Journal journal;
    Subscriber a(journal, "a");
    Subscriber b(journal, "b");
    Event event;
    event += First(b);
    event += First(a);
    event += First(b);  // already there
    event += Second(b); // another function of the same object
    event.Subscribe(First(a));
    int sender = 0;
    event.Raise(&sender, nullptr);

    EXPECT_THAT(journal, ElementsAre("b.first sender", "a.first sender", "b.second sender"));
    EXPECT_EQ(event.DelegateCount(), 3u);
    EXPECT_EQ(event.State(), Event::Idle);
}

TEST(TesselEvent, RaisingWithoutSubscribersDoesNothingAndStaysIdle) {
    Event event;
    event.Raise(nullptr, nullptr);
    EXPECT_EQ(event.State(), Event::Idle);
    EXPECT_EQ(event.DelegateCount(), 0u);
}

TEST(TesselEvent, DelegateSubscribedDuringAPassIsCalledInTheSamePass) {
    Journal journal;
    Subscriber a(journal, "a");
    Subscriber b(journal, "b");
    Event event;
    a.action = [&] { event += First(b); };
    event += First(a);
    event.Raise(nullptr, nullptr);
    EXPECT_THAT(journal, ElementsAre("a.first", "b.first"));

    journal.clear();
    event.Raise(nullptr, nullptr);
    EXPECT_THAT(journal, ElementsAre("a.first", "b.first")) << "b is subscribed once, however often a asks";
}

TEST(TesselEvent, RemovalDuringAPassOnlyMarksAndThePassFreesTheDelegateAtItsEnd) {
    Journal journal;
    Subscriber a(journal, "a");
    Subscriber b(journal, "b");
    Subscriber c(journal, "c");
    Event event;
    int stateSeenByC = -1;
    std::size_t countSeenByC = 0;
    a.action = [&] { event -= First(b); };
    c.action = [&] {
        stateSeenByC = event.State();
        countSeenByC = event.DelegateCount();
    };
    event += First(a);
    event += First(b);
    event += First(c);
    event.Raise(nullptr, nullptr);

    EXPECT_THAT(journal, ElementsAre("a.first", "c.first"));
    EXPECT_GT(stateSeenByC, Event::Raising);
    EXPECT_EQ(countSeenByC, 3u) << "the removed delegate stays in the list until the pass ends";
    EXPECT_EQ(event.DelegateCount(), 2u);
    EXPECT_EQ(event.State(), Event::Idle);
}

TEST(TesselEvent, RemovalWhileIdleFreesAtOnceAndAnUnknownDelegateIsIgnored) {
    Journal journal;
    Subscriber a(journal, "a");
    Subscriber b(journal, "b");
    Event event;
    event += First(a);
    event += First(b);
    event -= Second(a);
    EXPECT_EQ(event.DelegateCount(), 2u);
    event -= First(a);
    EXPECT_EQ(event.DelegateCount(), 1u);
    event.Raise(nullptr, nullptr);
    EXPECT_THAT(journal, ElementsAre("b.first"));

    event += First(a); // a removed subscription may come back, at the end
    journal.clear();
    event.Raise(nullptr, nullptr);
    EXPECT_THAT(journal, ElementsAre("b.first", "a.first"));
}

TEST(TesselEvent, ThrowingSubscriberEndsThePassAndLeavesTheEventIdle) {
    Journal journal;
    Subscriber a(journal, "a");
    Subscriber b(journal, "b");
    Subscriber c(journal, "c");
    Subscriber d(journal, "d");
    Event event;
    a.action = [&] { event -= First(c); };
    b.action = [] { throw std::runtime_error("subscriber failed"); };
    event += First(a);
    event += First(b);
    event += First(c);
    event += First(d);

    EXPECT_THROW(event.Raise(nullptr, nullptr), std::runtime_error);
    EXPECT_THAT(journal, ElementsAre("a.first", "b.first"));
    EXPECT_EQ(event.State(), Event::Idle);

    // The delegate marked during the failed pass is never called again.
    journal.clear();
    a.action = nullptr;
    b.action = nullptr;
    event.Raise(nullptr, nullptr);
    EXPECT_THAT(journal, ElementsAre("a.first", "b.first", "d.first"));
}

TEST(TesselEvent, SubscriberThatRaisesAgainAndLeavesInsideTheInnerPassIsSafe) {
    Journal journal;
    Subscriber a(journal, "a");
    Subscriber b(journal, "b");
    Subscriber c(journal, "c");
    Event event;
    int depth = 0;
    b.action = [&] {
        if (++depth == 1) {
            event.Raise(nullptr, nullptr);
        } else {
            event -= First(b);
        }
    };
    event += First(a);
    event += First(b);
    event += First(c);
    event.Raise(nullptr, nullptr);

    // The inner pass must not free b's node while the outer pass still stands on it.
    EXPECT_THAT(journal, ElementsAre("a.first", "b.first", "a.first", "b.first", "c.first", "c.first"));
    EXPECT_EQ(event.DelegateCount(), 2u);
    EXPECT_EQ(event.State(), Event::Idle);
}

TEST(TesselEvent, PassesItsArgumentsToDelegatesOfOtherArgumentTypes) {
    struct Settings {};
    struct Listener {
        std::vector<const Settings*> seen;
        void OnSaved(Settings* settings, void*) { seen.push_back(settings); }
    };
    Settings settings;
    Listener listener;
    TesselEvent<Settings*, void*> saved;
    saved += delegate2(&listener, &Listener::OnSaved);
    saved.Raise(&settings, nullptr);
    saved.Raise(&settings, nullptr);
    EXPECT_THAT(listener.seen, ElementsAre(&settings, &settings));
}

TEST(AutoReset, WritesZeroOnEveryWayOutAndDoesNotRestoreTheFormerValue) {
    int state = 7;
    {
        state = 100;
        AutoReset guard(&state);
    }
    EXPECT_EQ(state, 0);

    state = 100;
    try {
        AutoReset guard(&state);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(state, 0);
}
