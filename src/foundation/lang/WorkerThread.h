#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace Tessel::Common {

// A thread that runs one piece of work, which its owner may stop without waiting for it for long.
// The work must keep only state it shares with its owner (through shared pointers) or owns: when
// the owner cannot wait any longer (the work is stuck in a call to the system, say), the thread is
// let go and finishes on its own, or ends with the process. It is never killed, so it never dies
// holding a lock that others need.
class WorkerThread {
public:
    WorkerThread() = default;
    // Stops the thread, waiting for it no longer than DefaultStopWait.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    static constexpr std::chrono::milliseconds DefaultStopWait{300};

    // Runs work on a new thread; work should return soon after its stop token is set. A thread
    // still running is stopped first. An exception out of work ends only the work.
    void Start(std::function<void(std::stop_token)> work);
    // Sets the stop token without waiting.
    void RequestStop() noexcept;
    // Sets the stop token and waits for the work to end, no longer than wait. True when it ended
    // (or none ran); false when it was let go still running.
    bool Stop(std::chrono::milliseconds wait = DefaultStopWait) noexcept;
    // A thread runs, and its work has not returned yet.
    bool Running() const;

    // How many threads of this process were let go while they still ran.
    static int LetGoCount();

private:
    struct State {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
    };

    std::shared_ptr<State> mState;
    std::stop_source mStop;
    std::thread mThread;
};

} // namespace Tessel::Common
