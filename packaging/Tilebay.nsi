; Setup program of Tilebay: installs for the current user only, into the user's local programs
; folder, without administrator rights (an elevated program would also stand at another
; integrity level than Explorer, which keeps drops from reaching it).
;
; makensis -INPUTCHARSET UTF8 -DVERSION=1.2.3.4 -DPROGRAM=<Tilebay.exe> -DICON=<Tilebay.ico>
;          -DWIZARD=<164 x 314 BMP> -DOUTFILE=<setup.exe> Tilebay.nsi
; The setup program and its uninstaller take /S to run without pages.

!ifndef VERSION | PROGRAM | ICON | WIZARD | OUTFILE
    !error "define VERSION, PROGRAM, ICON, WIZARD and OUTFILE"
!endif

Unicode true
Target amd64-unicode
ManifestDPIAware true
; Per monitor on Windows 10 and later, the system's density before.
ManifestDPIAwareness "PerMonitorV2,System"
SetCompressor /SOLID lzma
RequestExecutionLevel user
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tilebay"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The program's edge window: closing it is how the user quits, and it saves the settings first.
!define EDGE_CLASS "TEdgeForm"
!define EDGE_TITLE "Zenpane"
!define CLOSE_WAIT_MS 20000
!define SYNCHRONIZE 0x00100000

Name "Tilebay"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tilebay"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tilebay ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var WasRunning
Var Restarted

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tilebay.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(StartTilebay)"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UninstallKeepsData)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for users whose language is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString WelcomeText ${LANG_ENGLISH} "Setup will install Tilebay ${VERSION} for you alone; it needs no administrator rights.$\r$\n$\r$\nIf Tilebay is running, Setup closes it (it saves your groups and settings as when you exit it) and starts it again afterwards.$\r$\n$\r$\nClick Next to continue."
LangString WelcomeText ${LANG_SIMPCHINESE} "安装程序将只为您安装 Tilebay ${VERSION}，无需管理员权限。$\r$\n$\r$\n如果 Tilebay 正在运行，安装程序会先关闭它（与您退出它时一样，它会保存分组和设置），安装后再重新启动它。$\r$\n$\r$\n单击“下一步”继续。"
LangString StartTilebay ${LANG_ENGLISH} "Start Tilebay"
LangString StartTilebay ${LANG_SIMPCHINESE} "启动 Tilebay"
LangString ClosingTilebay ${LANG_ENGLISH} "Closing the running Tilebay..."
LangString ClosingTilebay ${LANG_SIMPCHINESE} "正在关闭运行中的 Tilebay..."
LangString RestartedText ${LANG_ENGLISH} "Tilebay has been installed on your computer and started again.$\r$\n$\r$\nClick Finish to close Setup."
LangString RestartedText ${LANG_SIMPCHINESE} "Tilebay 已安装到本机，并已重新启动。$\r$\n$\r$\n单击“完成”关闭安装程序。"
LangString TilebayClosed ${LANG_ENGLISH} "Tilebay has closed."
LangString TilebayClosed ${LANG_SIMPCHINESE} "Tilebay 已关闭。"
LangString StartingTilebay ${LANG_ENGLISH} "Starting Tilebay again..."
LangString StartingTilebay ${LANG_SIMPCHINESE} "正在重新启动 Tilebay..."
LangString TilebayDidNotClose ${LANG_ENGLISH} "Tilebay did not close within 20 seconds.$\r$\n$\r$\nExit it from its menu (Exit Application), then click Retry. Cancel stops here and changes nothing."
LangString TilebayDidNotClose ${LANG_SIMPCHINESE} "Tilebay 未能在 20 秒内关闭。$\r$\n$\r$\n请通过其菜单中的“退出程序”退出它，然后单击“重试”。单击“取消”将在此停止，不做任何更改。"
LangString TilebayStillRunning ${LANG_ENGLISH} "Tilebay is still running; nothing was changed."
LangString TilebayStillRunning ${LANG_SIMPCHINESE} "Tilebay 仍在运行；未做任何更改。"
LangString UninstallKeepsData ${LANG_ENGLISH} "Tilebay will be removed from the folder below, with its Start menu shortcut and its start at logon.$\r$\nYour groups, shortcuts and settings in Documents\Tilebay are kept."
LangString UninstallKeepsData ${LANG_SIMPCHINESE} "将从以下文件夹中删除 Tilebay，以及它的“开始”菜单快捷方式和登录时自动启动。$\r$\n您在“文档\Tilebay”中的分组、快捷方式和设置将被保留。"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Tilebay"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Tilebay"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Tilebay Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Tilebay"

; Asks a running Tilebay to close as the user would (a close message to its edge window) and
; waits until its process has ended, so that its file can be replaced and a new start does not
; find the old one still holding the single-instance guard. Sets $WasRunning to 1 when one was
; running. Aborts when it does not end and the user gives up (in silent mode at once).
!macro DEFINE_CLOSE_RUNNING_TILEBAY prefix
Function ${prefix}CloseRunningTilebay
    StrCpy $WasRunning 0
    FindWindow $0 "${EDGE_CLASS}" "${EDGE_TITLE}"
    ${If} $0 == 0
        Return
    ${EndIf}
    StrCpy $WasRunning 1
    DetailPrint "$(ClosingTilebay)"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1) i'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
    retry:
    IsWindow $0 0 posted
    System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
    posted:
    ${If} $2 != 0
        System::Call 'kernel32::WaitForSingleObject(p r2, i ${CLOSE_WAIT_MS}) i .r3'
    ${Else}
        ; Without a handle to wait on, watch the window go, then give the process a moment
        ; to write its last lines and end.
        StrCpy $3 258
        StrCpy $4 0
        window_wait:
        IsWindow $0 0 window_gone
        IntOp $4 $4 + 1
        IntCmp $4 80 window_waited
        Sleep 250
        Goto window_wait
        window_gone:
        Sleep 2000
        StrCpy $3 0
        window_waited:
    ${EndIf}
    ${If} $3 != 0
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(TilebayDidNotClose)" /SD IDCANCEL IDRETRY retry
        ${If} $2 != 0
            System::Call 'kernel32::CloseHandle(p r2)'
        ${EndIf}
        Abort "$(TilebayStillRunning)"
    ${EndIf}
    ${If} $2 != 0
        System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    DetailPrint "$(TilebayClosed)"
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING_TILEBAY ""
!insertmacro DEFINE_CLOSE_RUNNING_TILEBAY "un."

Section "Tilebay"
    SectionIn RO
    Call CloseRunningTilebay

    SetOutPath "$INSTDIR"
    File "/oname=Tilebay.exe" "${PROGRAM}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Tilebay.lnk" "$INSTDIR\Tilebay.exe" "" "$INSTDIR\Tilebay.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tilebay"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tilebay"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tilebay.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"

    StrCpy $Restarted 0
    ${If} $WasRunning == 1
        DetailPrint "$(StartingTilebay)"
        Exec '"$INSTDIR\Tilebay.exe"'
        StrCpy $Restarted 1
    ${EndIf}
SectionEnd

; A Tilebay that setup has started again needs no second start from the finish page.
Function FinishPageShow
    ${If} $Restarted == 1
        SendMessage $mui.FinishPage.Text ${WM_SETTEXT} 0 "STR:$(RestartedText)"
        SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.CloseRunningTilebay

    Delete "$INSTDIR\Tilebay.exe"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only an empty folder goes: anything the user put there stays.
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Tilebay.lnk"

    ; The program keeps its start at logon in this value; another copy of it elsewhere may own
    ; the value, so only one that starts this folder's program is removed.
    ClearErrors
    ReadRegStr $0 HKCU "${RUN_KEY}" "Tilebay"
    ${IfNot} ${Errors}
        ${If} $0 == '"$INSTDIR\Tilebay.exe"'
        ${OrIf} $0 == "$INSTDIR\Tilebay.exe"
            DeleteRegValue HKCU "${RUN_KEY}" "Tilebay"
        ${EndIf}
    ${EndIf}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; The user's groups, shortcuts and settings in Documents\Tilebay are left as they are.
SectionEnd
