#pragma once

#include "foundation/win32/UniqueHandle.h"
#include "graphics/IconAtlas.h"

#include <windows.h>

#include <shtypes.h>

#include <cstdint>
#include <string>
#include <vector>

// One shortcut of a group: a shell shortcut (.lnk) file in the Data folder. The program never
// reads that file itself; it asks the shell for its icon and display name and hands the file to
// the shell to run it, show its properties or reveal its target. Used on the UI thread, where
// COM is initialised; the static look-ups also serve a worker thread that initialised COM.
class LinkItemModel {
public:
    // What the shell shows for a shortcut: both icons as premultiplied 0xAARRGGBB pixels (empty
    // when the shell has none) and the display name.
    struct Look {
        std::vector<std::uint32_t> large;
        std::vector<std::uint32_t> small;
        std::wstring displayName;
    };
    // The shortcut file's size and last-write time when its look was taken; a file that changed
    // since no longer matches a stored look.
    struct FileStamp {
        std::uint64_t size = 0;
        std::uint64_t writeTime = 0;
        bool operator==(const FileStamp&) const = default;
    };

    LinkItemModel(std::wstring fileName, std::wstring path);
    virtual ~LinkItemModel();
    LinkItemModel(const LinkItemModel&) = delete;
    LinkItemModel& operator=(const LinkItemModel&) = delete;

    // Name of the shortcut file inside the Data folder, as stored in the group store.
    const std::wstring& FileName() const { return mFileName; }
    // Full path of the shortcut file.
    const std::wstring& Path() const { return mPath; }
    // The target's name as the shell shows it, without its file extension; filled when the
    // first icon is built.
    const std::wstring& DisplayName() const { return mDisplayName; }
    // The shortcut file's name without its extension: most often the name of what it starts.
    std::wstring FileStem() const;
    // The name the panel shows; the file's stem until the shortcut's look is known.
    std::wstring ShownName() const;
    bool IsShowingToolTip() const { return mIsShowingToolTip; }
    void SetIsShowingToolTip(bool isShowingToolTip) { mIsShowingToolTip = isShowingToolTip; }

    // The icons and name the panel paints, given once they are known (from the icon cache or a
    // look-up on the worker thread). Until then the cell shows a placeholder and the name is
    // empty.
    void SetLook(IconAtlas::Ref large, IconAtlas::Ref small, std::wstring displayName, FileStamp stamp);
    bool HasLook() const { return mHasLook; }
    // Lets go of the icons and the name: the shortcut is drawn with a placeholder until its look
    // is set again (the icons of another size are coming).
    void ForgetLook() {
        mLargeRef = {};
        mSmallRef = {};
        mHasLook = false;
    }
    const IconAtlas::Ref& LargeIconRef() const { return mLargeRef; }
    const IconAtlas::Ref& SmallIconRef() const { return mSmallRef; }
    const FileStamp& LookStamp() const { return mLookStamp; }

    // What the shell shows for the shortcut file at lnkPath, taken the way GetLargeIcon,
    // GetSmallIcon and DisplayName take it, with icons of the sizes given (the design's at
    // 96 DPI are 32 and 16 pixels).
    static Look LookUp(const std::wstring& lnkPath, int largeSize, int smallSize);
    // What decides a shortcut's look besides the shell itself: the icon location it names and
    // its target path. Shortcuts with the same non-empty key look the same; empty when the
    // shortcut cannot be read or has no target path.
    static std::wstring LookKey(const std::wstring& lnkPath);
    // The shortcut's large (or small) icon, a new handle the caller owns.
    static Tessel::Common::UniqueIcon LoadIcon(const std::wstring& lnkPath, bool small) {
        return LoadShortcutIcon(lnkPath, small);
    }

    // The shell's icon of the shortcut file (without the shortcut arrow), built on first request
    // and owned by the item; null when the shell has none. Building an icon also (re)reads the
    // display name.
    HICON GetLargeIcon();
    HICON GetSmallIcon();

    // Opens the shortcut with the shell, which starts its target with the shortcut's own
    // arguments and working folder.
    void Run() const;
    // The shell's property sheet of the shortcut file.
    void OpenProperties() const;
    // A new Explorer window on the target's folder with the target selected.
    void OpenFileLocation() const;
    // True when the target is an existing file or folder.
    bool TargetExists() const;

    // The target path stored in a shortcut file (not resolved, so a moved target is not
    // searched for); empty when the file cannot be read or has no file system target.
    static std::wstring GetTargetPath(const std::wstring& lnkPath);
    // The target's item id list; the caller frees it with CoTaskMemFree.
    static HRESULT GetTargetIdList(const std::wstring& lnkPath, PIDLIST_ABSOLUTE* list);

    // The display name shown for a target: the shell's name without the target's file
    // extension. Folders keep their whole name ("Release 1.2"), and a name the shell already
    // shows without its extension is not cut again ("my.report" for my.report.docx).
    static std::wstring TrimDisplayName(const std::wstring& shellName, const std::wstring& targetPath,
                                        bool targetIsFolder);
    // The name shown for an internet shortcut (".url") file, which names no target the shell can
    // describe: the host of its URL ("example.com" for https://www.example.com/news), the whole
    // URL when it has no host, empty when it holds none.
    static std::wstring InternetShortcutName(const std::wstring& path);
    // What OpenFileLocation passes to Explorer for a target.
    static std::wstring FileLocationParameters(const std::wstring& target);

private:
    HICON GetIcon(bool small);
    // The shortcut's icon of the size: the one it names for itself, else its target's. Of size
    // pixels when size is given, else the system's large or small icon.
    static Tessel::Common::UniqueIcon LoadShortcutIcon(const std::wstring& lnkPath, bool small, int size = 0);
    void ReadDisplayName();
    static std::wstring DisplayNameOf(const std::wstring& lnkPath);

    std::wstring mFileName;
    std::wstring mPath;
    std::wstring mDisplayName;
    bool mIsShowingToolTip = true;
    Tessel::Common::UniqueIcon mLargeIcon;
    Tessel::Common::UniqueIcon mSmallIcon;
    bool mLargeIconBuilt = false;
    bool mSmallIconBuilt = false;
    IconAtlas::Ref mLargeRef;
    IconAtlas::Ref mSmallRef;
    FileStamp mLookStamp;
    bool mHasLook = false;
};
