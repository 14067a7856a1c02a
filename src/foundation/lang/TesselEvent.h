#pragma once

#include "foundation/lang/AutoReset.h"
#include "foundation/lang/Delegate2.h"

#include <cstddef>
#include <list>
#include <memory>

namespace Tessel::CppLang {

// A multicast event of two arguments: it owns its delegates and calls them in subscription order.
// Subscribers may subscribe and unsubscribe while the event is being raised; a removal during a
// pass only marks the delegate, and the pass deletes marked delegates once every subscriber ran.
// UI thread only.
template <typename A1, typename A2> class event2_base {
public:
    static constexpr int Idle = 0;
    static constexpr int Raising = 100;

    event2_base() = default;
    event2_base(const event2_base&) = delete;
    event2_base& operator=(const event2_base&) = delete;

    // Adds a copy of d at the end, unless the same member function of the same object is
    // already subscribed.
    void Subscribe(const delegate2_base<A1, A2>& d) {
        for (const auto& entry : mDelegates) {
            if (entry->SameIdentity(d) && entry->removed == d.removed) {
                return;
            }
        }
        mDelegates.push_back(d.Clone());
    }
    event2_base& operator+=(const delegate2_base<A1, A2>& d) {
        Subscribe(d);
        return *this;
    }

    // Ends the subscription of the same member function of the same object; nothing happens
    // when there is none. During a pass the delegate is only marked and is never called again.
    void Unsubscribe(const delegate_base& d) {
        for (auto it = mDelegates.begin(); it != mDelegates.end(); ++it) {
            if ((*it)->removed || !(*it)->SameIdentity(d)) {
                continue;
            }
            if (mState >= Raising) {
                (*it)->removed = true;
                ++mState;
            } else {
                mDelegates.erase(it);
            }
            return;
        }
    }
    event2_base& operator-=(const delegate_base& d) {
        Unsubscribe(d);
        return *this;
    }

    // Calls every delegate that is not marked removed, in order; a delegate added during the
    // pass is reached in the same pass. An exception from a subscriber ends the pass and goes on
    // to the caller; the event is idle again all the same.
    void Raise(A1 a1, A2 a2) {
        // A subscriber that raises this event again runs a nested pass inside the outer one. Only
        // the outermost pass may free marked delegates and set the event idle: the outer pass
        // still stands on one of the nodes.
        if (mState >= Raising) {
            Walk(a1, a2);
            return;
        }
        mState = Raising;
        AutoReset reset(&mState);
        Walk(a1, a2);
        if (mState > Raising) {
            std::erase_if(mDelegates, [](const auto& entry) { return entry->removed; });
        }
    }

    // Idle (0), Raising (100) or above 100 once a delegate was marked removed during the pass.
    int State() const { return mState; }
    // Delegates in the list, marked ones included.
    std::size_t DelegateCount() const { return mDelegates.size(); }

private:
    void Walk(A1 a1, A2 a2) {
        for (auto it = mDelegates.begin(); it != mDelegates.end(); ++it) {
            if (!(*it)->removed) {
                (*it)->Invoke(a1, a2);
            }
        }
    }

    std::list<std::unique_ptr<delegate2_base<A1, A2>>> mDelegates;
    int mState = Idle;
};

// The event type that owners declare as members.
template <typename A1, typename A2> class TesselEvent : public event2_base<A1, A2> {};

} // namespace Tessel::CppLang
