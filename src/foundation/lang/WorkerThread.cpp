#include "foundation/lang/WorkerThread.h"

#include <atomic>
#include <utility>

namespace Tessel::Common {

namespace {

std::atomic<int> sLetGo{0};

} // namespace

WorkerThread::~WorkerThread() {
    Stop();
}

void WorkerThread::Start(std::function<void(std::stop_token)> work) {
    Stop();
    mStop = std::stop_source();
    mState = std::make_shared<State>();
    mThread = std::thread([state = mState, token = mStop.get_token(), work = std::move(work)]() {
        try {
            work(token);
        } catch (...) {
            // Nobody waits for an answer: the work only ends.
        }
        {
            const std::lock_guard lock(state->mutex);
            state->done = true;
        }
        state->ended.notify_all();
    });
}

void WorkerThread::RequestStop() noexcept {
    mStop.request_stop();
}

bool WorkerThread::Stop(std::chrono::milliseconds wait) noexcept {
    if (!mThread.joinable()) {
        return true;
    }
    mStop.request_stop();
    bool ended = false;
    {
        std::unique_lock lock(mState->mutex);
        ended = mState->ended.wait_for(lock, wait, [this] { return mState->done; });
    }
    if (ended) {
        mThread.join();
    } else {
        mThread.detach();
        ++sLetGo;
    }
    mState.reset();
    return ended;
}

bool WorkerThread::Running() const {
    if (!mThread.joinable()) {
        return false;
    }
    const std::lock_guard lock(mState->mutex);
    return !mState->done;
}

int WorkerThread::LetGoCount() {
    return sLetGo.load();
}

} // namespace Tessel::Common
