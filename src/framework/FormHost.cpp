#include "framework/FormHost.h"

#include "framework/ErrorSink.h"

#include <algorithm>

TFormHost::~TFormHost() = default;

HWND TFormHost::FormOwner(const TForm& /*form*/) const {
    return nullptr;
}

TForm* TFormHost::MainForm() const {
    return nullptr;
}

void TFormHost::Terminate() {}

THintWindow* TFormHost::ControlHintWindow() {
    return nullptr;
}

void TFormHost::ProcessMessage(MSG& message) {
    // By index and by copy: a filter may add or remove filters while it runs.
    for (std::size_t i = 0; i < mFilters.size(); ++i) {
        const MessageFilter filter = mFilters[i].second;
        bool taken = false;
        Guarded([&] { taken = filter(message); });
        if (taken) {
            return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int TFormHost::AddMessageFilter(MessageFilter filter) {
    const int id = mNextFilterId++;
    mFilters.emplace_back(id, std::move(filter));
    return id;
}

void TFormHost::RemoveMessageFilter(int id) {
    mFilters.erase(std::remove_if(mFilters.begin(), mFilters.end(), [id](const auto& f) { return f.first == id; }),
                   mFilters.end());
}
