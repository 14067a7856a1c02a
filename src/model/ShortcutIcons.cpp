#include "model/ShortcutIcons.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/AtomicFile.h"
#include "framework/Window.h"

#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
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

std::vector<std::uint32_t> LargePart(const IconCacheFile::Picture& picture) {
    return {picture.begin(), picture.begin() + IconCacheFile::LargePixelCount};
}

std::vector<std::uint32_t> SmallPart(const IconCacheFile::Picture& picture) {
    return {picture.begin() + IconCacheFile::LargePixelCount, picture.end()};
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
    HWND window = nullptr;
    // A look-up is under way; a ResultsMessage is on its way to the window.
    bool busy = false;
    bool posted = false;
};

ShortcutIcons::ShortcutIcons()
    : mLarge(IconCacheFile::LargeSize), mSmall(IconCacheFile::SmallSize), mShared(std::make_shared<Shared>()) {}

ShortcutIcons::~ShortcutIcons() = default;

void ShortcutIcons::LoadCache(const std::wstring& path) {
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
    IconCacheFile::ReadResult read = IconCacheFile::Decode(bytes);
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

std::unordered_map<std::wstring, FileStamp> ShortcutIcons::StampsOf(const std::wstring& folder) {
    std::unordered_map<std::wstring, FileStamp> stamps;
    WIN32_FIND_DATAW data{};
    const std::wstring pattern = folder + L"\\*";
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return stamps;
    }
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            stamps[data.cFileName] =
                FileStamp{(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                          FileTimeValue(data.ftLastWriteTime)};
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return stamps;
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
            placed = {mLarge.Add(LargePart(picture)), mSmall.Add(SmallPart(picture))};
        }
        large = placed.first;
        small = placed.second;
    }
    item.SetLook(std::move(large), std::move(small), entry.displayName, stamp);
    return true;
}

void ShortcutIcons::Request(HWND window, const std::vector<LinkItemModel*>& items, TWorkerThread& worker) {
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
    if (worker.Running()) {
        mShared->wake.notify_one();
        return;
    }
    std::shared_ptr<Shared> shared = mShared;
    worker.Start([shared](std::stop_token stop) {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // Shortcuts that name the same icon location and target look the same: the shell is
        // asked once for each.
        std::map<std::wstring, Look> seen;
        auto lastPost = std::chrono::steady_clock::now() - PostInterval;
        for (;;) {
            std::pair<std::wstring, std::wstring> request;
            {
                std::unique_lock lock(shared->mutex);
                if (!shared->wake.wait(lock, stop, [&] { return !shared->requests.empty(); })) {
                    break;
                }
                request = std::move(shared->requests.front());
                shared->requests.pop_front();
                shared->busy = true;
            }
            const auto& [fileName, path] = request;
            const FileStamp stamp = StampOfFile(path);
            const std::wstring key = LinkItemModel::LookKey(path);
            Look look;
            if (const auto known = seen.find(key); !key.empty() && known != seen.end()) {
                look = known->second;
            } else {
                look = LinkItemModel::LookUp(path);
                if (!key.empty()) {
                    seen.emplace(key, look);
                }
            }
            const auto now = std::chrono::steady_clock::now();
            HWND post = nullptr;
            {
                std::lock_guard lock(shared->mutex);
                shared->arrived.push_back({fileName, std::move(look), stamp});
                shared->busy = false;
                if (!shared->posted && (shared->requests.empty() || now - lastPost >= PostInterval)) {
                    shared->posted = true;
                    post = shared->window;
                }
            }
            if (post != nullptr) {
                lastPost = now;
                PostMessageW(post, ResultsMessage, 0, 0);
            }
        }
        if (SUCCEEDED(com)) {
            CoUninitialize();
        }
    });
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
        results.push_back(Result{std::move(a.fileName), mLarge.Add(a.look.large), mSmall.Add(a.look.small),
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
                IconCacheFile::Picture picture{};
                const std::vector<std::uint32_t> largePixels = large.Pixels();
                const std::vector<std::uint32_t> smallPixels = small.Pixels();
                if (largePixels.size() == IconCacheFile::LargePixelCount) {
                    std::copy(largePixels.begin(), largePixels.end(), picture.begin());
                }
                if (smallPixels.size() == IconCacheFile::SmallPixelCount) {
                    std::copy(smallPixels.begin(), smallPixels.end(), picture.begin() + IconCacheFile::LargePixelCount);
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
