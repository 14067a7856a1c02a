#pragma once

#include "foundation/lang/WorkerThread.h"
#include "graphics/IconAtlas.h"
#include "model/IconCacheFile.h"
#include "model/LinkItemModel.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The icons and names of the panel's shortcuts. They come from the icon cache file when the
// shortcut file is unchanged since it was written, else from the shell on a worker thread, so
// that a paint never waits for the shell. Icon pixels live in two shared atlases (large and
// small); the cache file is written again when look-ups added to it. UI thread only, except for
// the workers it starts, which share only their queue and results with it: a look-up that hangs
// (a shortcut on a share that does not answer, say) is let go, and neither the other shortcuts
// nor the end of the program wait for it. It must outlive every item that holds its icons.
class ShortcutIcons {
public:
    // Posted to the window given to Request when results are waiting; the window then calls
    // TakeResults.
    static constexpr UINT ResultsMessage = WM_APP + 0x140;
    // How long Stop waits for a look-up under way before it lets it go.
    static constexpr std::chrono::milliseconds StopWait{300};
    // At most this many hanging look-ups are let go; while as many still hang, the rest wait.
    static constexpr int MaxHangingLookUps = 4;

    // What a look-up asks of the shell, replaceable by tests before the first Request.
    using LookUpFunction =
        std::function<LinkItemModel::Look(const std::wstring& lnkPath, int largeSize, int smallSize)>;
    using LookKeyFunction = std::function<std::wstring(const std::wstring& lnkPath)>;
    LookUpFunction LookUp = LinkItemModel::LookUp;
    LookKeyFunction LookKey = LinkItemModel::LookKey;
    // A look-up that takes longer is taken for one that hangs (see CheckProgress).
    std::chrono::milliseconds HangingAfter{3000};

    ShortcutIcons();
    // Stops the workers as Stop does.
    ~ShortcutIcons();
    ShortcutIcons(const ShortcutIcons&) = delete;
    ShortcutIcons& operator=(const ShortcutIcons&) = delete;

    // The icon sizes looked up and kept: the design's 32 and 16 pixels until set. New sizes (the
    // screen's density changed) stop the look-ups and empty the atlases and the cache read, as
    // Reset does; no item may hold icons of the old sizes any more.
    void SetIconSizes(int largeSize, int smallSize);
    int LargeIconSize() const { return mLarge->IconSize(); }
    int SmallIconSize() const { return mSmall->IconSize(); }
    // The cache file of the data folder for the icon sizes: "IconCache.bin" for the design's,
    // "IconCache-48.bin" for large icons of 48 pixels.
    std::wstring CacheFileName() const;

    // Reads the cache file at path (usually "IconCache.bin" of the data folder). A missing file
    // is an empty cache; a damaged one is ignored with a warning in the log, and written anew.
    // Only the entries of the file names wanted keeps are held, with their pictures (all of them
    // when wanted is empty).
    void LoadCache(const std::wstring& path, const IconCacheFile::WantedName& wanted = {});
    // Lets go of what LoadCache read, once the shortcuts have taken their looks from it; the
    // pictures they took stay theirs.
    void ReleaseCache();

    // Gives item its look from the cache when an entry for its file name has the given stamp;
    // true when it did.
    bool ApplyCached(LinkItemModel& item, const LinkItemModel::FileStamp& stamp);

    // Has the items' looks taken on a worker thread, after those asked for before and in the
    // order given, and posts ResultsMessage to window as results arrive. Items already asked for
    // and not yet taken back are not asked for again. The worker starts on the first request and
    // then waits for more until it is stopped; it never touches an item, only its file name and
    // path. Nothing is asked for after Stop.
    void Request(HWND window, const std::vector<LinkItemModel*>& items);
    // To be called now and then while looks are pending (once a second, say): a look-up that has
    // taken longer than HangingAfter is let go, its shortcut keeps its placeholder for this run,
    // and a new worker goes on with the shortcuts after it. True while looks are still pending.
    bool CheckProgress();
    // Stops the workers: a look-up under way is waited for no longer than StopWait, then let go;
    // nothing is posted to the window after this. Also called by the destructor.
    void Stop() noexcept;

    struct Result {
        std::wstring fileName;
        IconAtlas::Ref large;
        IconAtlas::Ref small;
        std::wstring displayName;
        LinkItemModel::FileStamp stamp;
    };
    // The looks that arrived since the last call, with their icons placed in the atlases.
    std::vector<Result> TakeResults();
    // True when every look asked for has been taken back, or let go as hanging.
    bool Finished() const;

    // Writes the cache file anew from the looks of items when look-ups or a damaged file made it
    // differ from the file; the file is replaced whole or not at all. True when nothing needed
    // writing or the write succeeded.
    bool SaveCacheIfChanged(const std::vector<const LinkItemModel*>& items);

    IconAtlas& LargeAtlas() { return *mLarge; }
    IconAtlas& SmallAtlas() { return *mSmall; }

private:
    struct Shared;

    void StartWorker();
    // The loop of one worker: takes requests in order until it is stopped or let go. It holds
    // only the shared state, which outlives the owner while the worker runs.
    static void RunLookUps(const std::shared_ptr<Shared>& shared, std::uint64_t id, std::stop_token stop);

    std::unique_ptr<IconAtlas> mLarge;
    std::unique_ptr<IconAtlas> mSmall;
    std::wstring mCachePath;
    // The entries of the file read at start, by file name, and its pictures placed in the
    // atlases on first use.
    IconCacheFile::Contents mCache;
    std::unordered_map<std::wstring, std::size_t> mCacheIndex;
    std::vector<std::pair<IconAtlas::Ref, IconAtlas::Ref>> mCachePictures;
    std::unordered_set<std::wstring> mRequested;
    bool mChanged = false;
    bool mStopped = false;
    std::shared_ptr<Shared> mShared;
    // The worker that takes the queue, and those let go while a look-up of theirs hung.
    std::unique_ptr<Tessel::Common::WorkerThread> mWorker;
    std::vector<std::unique_ptr<Tessel::Common::WorkerThread>> mHanging;
};
