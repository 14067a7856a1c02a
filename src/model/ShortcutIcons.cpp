#include "model/ShortcutIcons.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/AtomicFile.h"

#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

using FileStamp = LinkItemModel::FileStamp;
using Look = LinkItemModel::Look;

namespace {

// How long the worker lets results gather before it tells the window again, so that the
// window takes them in batches while the shell is slow, not one message per shortcut.
constexpr auto PostInterval = std::chrono::milliseconds(40);

std::uint64_t FileTimeValue(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FileStamp StampOfFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return {};
    }
    return FileStamp{(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     FileTimeValue(data.ftLastWriteTime)};
}

std::vector<std::uint32_t> LargePart(const IconCacheFile::Picture& picture, int largeSize) {
    const std::size_t count = std::min(picture.size(), static_cast<std::size_t>(largeSize) * largeSize);
    return {picture.begin(), picture.begin() + static_cast<std::ptrdiff_t>(count)};
}

std::vector<std::uint32_t> SmallPart(const IconCacheFile::Picture& picture, int largeSize) {
    const std::size_t start = std::min(picture.size(), static_cast<std::size_t>(largeSize) * largeSize);
    return {picture.begin() + static_cast<std::ptrdiff_t>(start), picture.end()};
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes, std::wstring& problem) {
    DWORD error = 0;
    const Tessel::Common::UniqueFileHandle file = Tessel::Common::OpenFileForReading(path, error);
    if (!file) {
        problem = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                      ? std::wstring()
                      : L"cannot be opened (error " + std::to_wstring(error) + L")";
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        problem = L"its size cannot be read (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > IconCacheFile::MaxFileBytes) {
        problem = L"larger than a cache may be (" + std::to_wstring(size.QuadPart) + L" bytes)";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr) || read == 0) {
            problem = L"cannot be read (error " + std::to_wstring(GetLastError()) + L")";
            return false;
        }
        done += read;
    }
    return true;
}

} // namespace

struct ShortcutIcons::Shared {
    struct Arrived {
        std::wstring fileName;
        Look look;
        FileStamp stamp;
    };
    std::mutex mutex;
    std::condition_variable_any wake;
    // File name and path of each shortcut still to look up, in order.
    std::deque<std::pair<std::wstring, std::wstring>> requests;
    std::vector<Arrived> arrived;
    // Where results are announced; null once the owner stopped.
    HWND window = nullptr;
    LookUpFunction lookUp;
    LookKeyFunction lookKey;
    int largeSize = IconCacheFile::LargeSize;
    int smallSize = IconCacheFile::SmallSize;
    // The worker that takes the queue; a worker with another number was let go.
    std::uint64_t activeWorker = 0;
    // The active worker's look-up under way, and since when.
    bool busy = false;
    std::wstring busyFile;
    std::chrono::steady_clock::time_point busySince;
    // A ResultsMessage is on its way to the window.
    bool posted = false;
};

ShortcutIcons::ShortcutIcons()
    : mLarge(std::make_unique<IconAtlas>(IconCacheFile::LargeSize)),
      mSmall(std::make_unique<IconAtlas>(IconCacheFile::SmallSize)), mShared(std::make_shared<Shared>()) {}

void ShortcutIcons::SetIconSizes(int largeSize, int smallSize) {
    if (largeSize == mLarge->IconSize() && smallSize == mSmall->IconSize()) {
        return;
    }
    Stop();
    mStopped = false;
    mShared = std::make_shared<Shared>();
    mWorker.reset();
    mRequested.clear();
    mCache = {};
    mCacheIndex.clear();
    mCachePictures.clear();
    mCachePath.clear();
    mChanged = false;
    mLarge = std::make_unique<IconAtlas>(largeSize);
    mSmall = std::make_unique<IconAtlas>(smallSize);
}

std::wstring ShortcutIcons::CacheFileName() const {
    if (mLarge->IconSize() == IconCacheFile::LargeSize && mSmall->IconSize() == IconCacheFile::SmallSize) {
        return L"IconCache.bin";
    }
    return L"IconCache-" + std::to_wstring(mLarge->IconSize()) + L".bin";
}

ShortcutIcons::~ShortcutIcons() {
    Stop();
}

void ShortcutIcons::LoadCache(const std::wstring& path, const IconCacheFile::WantedName& wanted) {
    mCachePath = path;
    mCache = {};
    mCacheIndex.clear();
    mCachePictures.clear();
    std::string bytes;
    std::wstring problem;
    if (!ReadWholeFile(path, bytes, problem)) {
        if (!problem.empty()) {
            LOG_INF("ShortcutIcons::LoadCache",
                    L"The icon cache " << path << L" is ignored and made anew: " << problem);
            mChanged = true;
        }
        return;
    }
    IconCacheFile::ReadResult read = IconCacheFile::Decode(bytes, mLarge->IconSize(), mSmall->IconSize(), wanted);
    // The file's bytes go at once: only what the shortcuts use stays.
    std::string().swap(bytes);
    if (!read.ok) {
        LOG_INF("ShortcutIcons::LoadCache", L"The icon cache " << path << L" is ignored and made anew: " << read.error);
        mChanged = true;
        return;
    }
    mCache = std::move(read.contents);
    mCachePictures.resize(mCache.pictures.size());
    for (std::size_t i = 0; i < mCache.entries.size(); ++i) {
        mCacheIndex[mCache.entries[i].fileName] = i;
    }
    LOG_INF("ShortcutIcons::LoadCache",
            L"Icon cache read: " << mCache.entries.size() << L" shortcuts, " << mCache.pictures.size() << L" pictures");
}

void ShortcutIcons::ReleaseCache() {
    mCache = {};
    mCacheIndex = {};
    mCachePictures = {};
}

bool ShortcutIcons::ApplyCached(LinkItemModel& item, const FileStamp& stamp) {
    const auto found = mCacheIndex.find(item.FileName());
    if (found == mCacheIndex.end()) {
        return false;
    }
    const IconCacheFile::Entry& entry = mCache.entries[found->second];
    if (entry.fileSize != stamp.size || entry.writeTime != stamp.writeTime) {
        return false;
    }
    IconAtlas::Ref large;
    IconAtlas::Ref small;
    if (entry.picture != IconCacheFile::NoPicture) {
        auto& placed = mCachePictures[entry.picture];
        if (!placed.first && !placed.second) {
            const IconCacheFile::Picture& picture = mCache.pictures[entry.picture];
            const int largeSize = mLarge->IconSize();
            placed = {mLarge->Add(LargePart(picture, largeSize)), mSmall->Add(SmallPart(picture, largeSize))};
        }
        large = placed.first;
        small = placed.second;
    }
    item.SetLook(std::move(large), std::move(small), entry.displayName, stamp);
    return true;
}

void ShortcutIcons::Request(HWND window, const std::vector<LinkItemModel*>& items) {
    if (mStopped) {
        return;
    }
    std::size_t added = 0;
    {
        std::lock_guard lock(mShared->mutex);
        mShared->window = window;
        for (const LinkItemModel* item : items) {
            if (mRequested.insert(item->FileName()).second) {
                mShared->requests.emplace_back(item->FileName(), item->Path());
                ++added;
            }
        }
    }
    if (added == 0) {
        return;
    }
    LOG_DBG("ShortcutIcons::Request", L"Looking up the icons of " << added << L" shortcuts");
    if (mWorker && mWorker->Running()) {
        mShared->wake.notify_all();
        return;
    }
    // While too many look-ups hang, CheckProgress starts the next worker once one returns.
    if (static_cast<int>(mHanging.size()) < MaxHangingLookUps) {
        StartWorker();
    }
}

void ShortcutIcons::StartWorker() {
    std::uint64_t id = 0;
    {
        std::lock_guard lock(mShared->mutex);
        mShared->lookUp = LookUp;
        mShared->lookKey = LookKey;
        mShared->largeSize = mLarge->IconSize();
        mShared->smallSize = mSmall->IconSize();
        id = ++mShared->activeWorker;
    }
    mWorker = std::make_unique<Tessel::Common::WorkerThread>();
    mWorker->Start([shared = mShared, id](std::stop_token stop) { RunLookUps(shared, id, stop); });
}

bool ShortcutIcons::CheckProgress() {
    if (mStopped) {
        return false;
    }
    // Workers let go earlier whose look-up has returned since are done with.
    std::erase_if(mHanging, [](const auto& worker) { return !worker->Running(); });
    std::wstring hanging;
    bool queued = false;
    {
        std::lock_guard lock(mShared->mutex);
        queued = !mShared->requests.empty();
        if (mShared->busy && std::chrono::steady_clock::now() - mShared->busySince >= HangingAfter) {
            hanging = mShared->busyFile;
            mShared->busy = false;
            // The worker goes on with the look-up it is in, and then ends.
            ++mShared->activeWorker;
        }
    }
    if (!hanging.empty()) {
        LOG_ERR("ShortcutIcons::CheckProgress",
                L"Looking up the icon of " << hanging << L" has taken more than " << HangingAfter.count()
                                           << L" ms; it is let go, and the other shortcuts are looked up without it");
        mWorker->RequestStop();
        mHanging.push_back(std::move(mWorker));
    }
    if (queued && (!mWorker || !mWorker->Running())) {
        if (static_cast<int>(mHanging.size()) < MaxHangingLookUps) {
            StartWorker();
        } else if (!hanging.empty()) {
            LOG_ERR("ShortcutIcons::CheckProgress",
                    L"" << mHanging.size() << L" icon look-ups hang; the others wait until one returns");
        }
    }
    return !Finished();
}

void ShortcutIcons::Stop() noexcept {
    if (mStopped) {
        return;
    }
    mStopped = true;
    {
        std::lock_guard lock(mShared->mutex);
        mShared->window = nullptr;
        mShared->requests.clear();
    }
    mShared->wake.notify_all();
    int letGo = 0;
    if (mWorker && !mWorker->Stop(StopWait)) {
        ++letGo;
    }
    for (const auto& worker : mHanging) {
        if (!worker->Stop(std::chrono::milliseconds(0))) {
            ++letGo;
        }
    }
    if (letGo > 0) {
        LOG_INF("ShortcutIcons::Stop", L"" << letGo << L" icon look-ups did not end in time; they are let go");
    }
}

std::vector<ShortcutIcons::Result> ShortcutIcons::TakeResults() {
    std::vector<Shared::Arrived> arrived;
    {
        std::lock_guard lock(mShared->mutex);
        arrived.swap(mShared->arrived);
        mShared->posted = false;
    }
    std::vector<Result> results;
    results.reserve(arrived.size());
    for (Shared::Arrived& a : arrived) {
        mRequested.erase(a.fileName);
        results.push_back(Result{std::move(a.fileName), mLarge->Add(a.look.large), mSmall->Add(a.look.small),
                                 std::move(a.look.displayName), a.stamp});
    }
    if (!results.empty()) {
        mChanged = true;
    }
    return results;
}

bool ShortcutIcons::Finished() const {
    std::lock_guard lock(mShared->mutex);
    return mShared->requests.empty() && !mShared->busy && mShared->arrived.empty();
}

bool ShortcutIcons::SaveCacheIfChanged(const std::vector<const LinkItemModel*>& items) {
    if (!mChanged || mCachePath.empty()) {
        return true;
    }
    IconCacheFile::Contents contents;
    contents.largeSize = mLarge->IconSize();
    contents.smallSize = mSmall->IconSize();
    const std::size_t largePixelCount = static_cast<std::size_t>(contents.largeSize) * contents.largeSize;
    const std::size_t smallPixelCount = static_cast<std::size_t>(contents.smallSize) * contents.smallSize;
    // Shortcuts showing the same icons share one picture.
    std::map<std::pair<int, int>, std::uint32_t> pictures;
    for (const LinkItemModel* item : items) {
        if (!item->HasLook()) {
            continue;
        }
        IconCacheFile::Entry entry;
        entry.fileName = item->FileName();
        entry.fileSize = item->LookStamp().size;
        entry.writeTime = item->LookStamp().writeTime;
        entry.displayName = item->DisplayName();
        const IconAtlas::Ref& large = item->LargeIconRef();
        const IconAtlas::Ref& small = item->SmallIconRef();
        if (large || small) {
            const auto key = std::make_pair(large.Slot(), small.Slot());
            auto found = pictures.find(key);
            if (found == pictures.end()) {
                IconCacheFile::Picture picture(largePixelCount + smallPixelCount);
                const std::vector<std::uint32_t> largePixels = large.Pixels();
                const std::vector<std::uint32_t> smallPixels = small.Pixels();
                if (largePixels.size() == largePixelCount) {
                    std::copy(largePixels.begin(), largePixels.end(), picture.begin());
                }
                if (smallPixels.size() == smallPixelCount) {
                    std::copy(smallPixels.begin(), smallPixels.end(),
                              picture.begin() + static_cast<std::ptrdiff_t>(largePixelCount));
                }
                contents.pictures.push_back(picture);
                found = pictures.emplace(key, static_cast<std::uint32_t>(contents.pictures.size() - 1)).first;
            }
            entry.picture = found->second;
        }
        contents.entries.push_back(std::move(entry));
    }
    DWORD error = 0;
    if (!Tessel::Common::ReplaceFileAtomically(mCachePath, IconCacheFile::Encode(contents), &error)) {
        LOG_ERR("ShortcutIcons::SaveCacheIfChanged",
                L"The icon cache " << mCachePath << L" could not be written (error " << error << L")");
        return false;
    }
    mChanged = false;
    LOG_INF("ShortcutIcons::SaveCacheIfChanged", L"Icon cache written: " << contents.entries.size() << L" shortcuts, "
                                                                         << contents.pictures.size() << L" pictures");
    return true;
}

void ShortcutIcons::RunLookUps(const std::shared_ptr<Shared>& shared, std::uint64_t id, std::stop_token stop) {
    // Below the user interface: a paint or a click never waits for the shell's look-ups.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Shortcuts that name the same icon location and target look the same: the shell is asked
    // once for each.
    std::map<std::wstring, Look> seen;
    auto lastPost = std::chrono::steady_clock::now() - PostInterval;
    for (;;) {
        std::pair<std::wstring, std::wstring> request;
        ShortcutIcons::LookUpFunction lookUp;
        ShortcutIcons::LookKeyFunction lookKey;
        int largeSize = 0;
        int smallSize = 0;
        {
            std::unique_lock lock(shared->mutex);
            if (!shared->wake.wait(lock, stop, [&] { return !shared->requests.empty(); }) ||
                shared->activeWorker != id) {
                break;
            }
            request = std::move(shared->requests.front());
            shared->requests.pop_front();
            shared->busy = true;
            shared->busyFile = request.first;
            shared->busySince = std::chrono::steady_clock::now();
            lookUp = shared->lookUp;
            lookKey = shared->lookKey;
            largeSize = shared->largeSize;
            smallSize = shared->smallSize;
        }
        const auto& [fileName, path] = request;
        const FileStamp stamp = StampOfFile(path);
        Look look;
        try {
            const std::wstring key = lookKey(path);
            if (const auto known = seen.find(key); !key.empty() && known != seen.end()) {
                look = known->second;
            } else {
                look = lookUp(path, largeSize, smallSize);
                if (!key.empty()) {
                    seen.emplace(key, look);
                }
            }
        } catch (...) {
            // No look: the cell keeps its placeholder.
            look = Look{};
        }
        const auto now = std::chrono::steady_clock::now();
        HWND post = nullptr;
        bool active = false;
        {
            std::lock_guard lock(shared->mutex);
            shared->arrived.push_back({fileName, std::move(look), stamp});
            active = shared->activeWorker == id;
            if (active) {
                shared->busy = false;
            }
            if (!shared->posted && (shared->requests.empty() || !active || now - lastPost >= PostInterval)) {
                shared->posted = shared->window != nullptr;
                post = shared->window;
            }
        }
        if (post != nullptr) {
            lastPost = now;
            if (!PostMessageW(post, ShortcutIcons::ResultsMessage, 0, 0)) {
                // The next result announces this one too.
                std::lock_guard lock(shared->mutex);
                shared->posted = false;
            }
        }
        if (!active) {
            // Let go while this look-up hung: another worker has the queue.
            break;
        }
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
}
