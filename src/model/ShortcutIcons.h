#pragma once

#include "framework/IconAtlas.h"
#include "model/IconCacheFile.h"
#include "model/LinkItemModel.h"

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TWorkerThread;

// The icons and names of the panel's shortcuts. They come from the icon cache file when the
// shortcut file is unchanged since it was written, else from the shell on a worker thread, so
// that a paint never waits for the shell. Icon pixels live in two shared atlases (large and
// small); the cache file is written again when look-ups added to it. UI thread only, except for
// the worker it starts. It must outlive every item that holds its icons.
class ShortcutIcons {
public:
    // Posted to the window given to Start when results are waiting; the window then calls
    // TakeResults.
    static constexpr UINT ResultsMessage = WM_APP + 0x140;

    ShortcutIcons();
    ~ShortcutIcons();
    ShortcutIcons(const ShortcutIcons&) = delete;
    ShortcutIcons& operator=(const ShortcutIcons&) = delete;

    // Reads the cache file at path (usually "IconCache.bin" of the data folder). A missing file
    // is an empty cache; a damaged one is ignored with a warning in the log, and written anew.
    void LoadCache(const std::wstring& path);

    // The size and last-write time of every file of folder, by file name, read in one pass.
    static std::unordered_map<std::wstring, LinkItemModel::FileStamp> StampsOf(const std::wstring& folder);

    // Gives item its look from the cache when an entry for its file name has the given stamp;
    // true when it did.
    bool ApplyCached(LinkItemModel& item, const LinkItemModel::FileStamp& stamp);

    // Has the items' looks taken on worker, after those asked for before and in the order given,
    // and posts ResultsMessage to window as results arrive. Items already asked for and not yet
    // taken back are not asked for again. The worker starts on the first request and then waits
    // for more until it is stopped; it never touches an item, only its file name and path.
    void Request(HWND window, const std::vector<LinkItemModel*>& items, TWorkerThread& worker);

    struct Result {
        std::wstring fileName;
        IconAtlas::Ref large;
        IconAtlas::Ref small;
        std::wstring displayName;
        LinkItemModel::FileStamp stamp;
    };
    // The looks that arrived since the last call, with their icons placed in the atlases.
    std::vector<Result> TakeResults();
    // True when every look asked for has been taken back.
    bool Finished() const;

    // Writes the cache file anew from the looks of items when look-ups or a damaged file made it
    // differ from the file; the file is replaced whole or not at all. True when nothing needed
    // writing or the write succeeded.
    bool SaveCacheIfChanged(const std::vector<const LinkItemModel*>& items);

    IconAtlas& LargeAtlas() { return mLarge; }
    IconAtlas& SmallAtlas() { return mSmall; }

private:
    struct Shared;

    IconAtlas mLarge;
    IconAtlas mSmall;
    std::wstring mCachePath;
    // The entries of the file read at start, by file name, and its pictures placed in the
    // atlases on first use.
    IconCacheFile::Contents mCache;
    std::unordered_map<std::wstring, std::size_t> mCacheIndex;
    std::vector<std::pair<IconAtlas::Ref, IconAtlas::Ref>> mCachePictures;
    std::unordered_set<std::wstring> mRequested;
    bool mChanged = false;
    std::shared_ptr<Shared> mShared;
};
