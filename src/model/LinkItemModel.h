#pragma once

#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

#include <shtypes.h>

#include <string>

// One shortcut of a group: a shell shortcut (.lnk) file in the Data folder. The program never
// reads that file itself; it asks the shell for its icon and display name and hands the file to
// the shell to run it, show its properties or reveal its target. Used on the UI thread, where
// COM is initialised.
class LinkItemModel {
public:
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
    bool IsShowingToolTip() const { return mIsShowingToolTip; }
    void SetIsShowingToolTip(bool isShowingToolTip) { mIsShowingToolTip = isShowingToolTip; }

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
    // What OpenFileLocation passes to Explorer for a target.
    static std::wstring FileLocationParameters(const std::wstring& target);

private:
    HICON GetIcon(bool small);
    // The shortcut's icon of the size: the one it names for itself, else its target's.
    static Tessel::Common::UniqueIcon LoadShortcutIcon(const std::wstring& lnkPath, bool small);
    void ReadDisplayName();

    std::wstring mFileName;
    std::wstring mPath;
    std::wstring mDisplayName;
    bool mIsShowingToolTip = true;
    Tessel::Common::UniqueIcon mLargeIcon;
    Tessel::Common::UniqueIcon mSmallIcon;
    bool mLargeIconBuilt = false;
    bool mSmallIconBuilt = false;
};
