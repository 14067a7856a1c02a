#!/usr/bin/env python3
"""Writes the culture texts (resources/CultureText.txt, the default English texts, and
resources/CultureText_zh_CN.txt, the Simplified Chinese ones): UTF-16LE with a byte-order mark,
one key=text line each, CR LF between lines and none after the last."""
import sys
from pathlib import Path

# Key, English text, Simplified Chinese text; the order is the resources' order.
TEXTS = [
    ('Common_Ok', '&OK', '确定'),
    ('Common_Cancel', '&Cancel', '取消'),
    ('App_DoYouWantToCheckUpdate', 'Monthly tip: Please click OK to check update.', '每月提示:请点击"确定"查看更新.'),
    ('MainWindow_Lb_ProductName', 'Tilebay', 'Tilebay'),
    ('MainWindow_Menu_OpenFileLocation', 'Open File Location ...', '打开文件位置 ...'),
    ('MainWindow_Menu_ShowToolTip', 'Show Tooltip', '显示提示'),
    ('MainWindow_Menu_Properties', 'Properties ...', '属性 ...'),
    ('MainWindow_Menu_DeleteShortcut', 'Delete Shortcut', '删除此快捷方式'),
    ('MainWindow_Menu_GroupIconStyle', 'Icon Style', '图标'),
    ('MainWindow_Menu_GroupIconStyleLarge', 'Large', '大图标'),
    ('MainWindow_Menu_GroupIconStyleLargeWithText', 'Large With Text', '大图标和文字'),
    ('MainWindow_Menu_GroupIconStyleSmall', 'Small', '小图标'),
    ('MainWindow_Menu_GroupBackground', 'Background', '背景'),
    ('MainWindow_Menu_DeleteGroup', 'Delete Group', '删除组'),
    ('MainWindow_Menu_AddNewGroup', 'Add New Group', '新建组'),
    ('MainWindow_Menu_Options', 'Options ...', '选项 ...'),
    ('MainWindow_Menu_About', 'About ...', '关于 ...'),
    ('MainWindow_Menu_ExitApplication', 'Exit Application', '退出程序'),
    ('MainWindow_Btn_AddNewGroup', 'Add a new group', '添加新组'),
    ('MainWindow_Btn_EnableOrDisableAutoHide', 'Enable/disable auto hide', '启用或禁用自动隐藏'),
    ('MainWindow_AddNewGroupTip', 'Please click the "+" button to create a new group.', '请先点击"+"创建一个组'),
    ('MainWindow_FillFromDesktopAndStartMenu', 'Fill it from my Desktop and Start menu', '或从桌面和"开始"菜单添加快捷方式'),
    ('MainWindow_Menu_RestoreLayout', 'Restore Layout', '恢复布局'),
    ('MainWindow_Menu_RestoreLayoutNone', 'No snapshots yet', '尚无快照'),
    ('MainWindow_Menu_RestoreLayoutItem', '%1 — %2, %3', '%1 — %2，%3'),
    ('MainWindow_Count_Groups', '%1 groups', '%1 个组'),
    ('MainWindow_Count_OneGroup', '1 group', '1 个组'),
    ('MainWindow_Count_Shortcuts', '%1 shortcuts', '%1 个快捷方式'),
    ('MainWindow_Count_OneShortcut', '1 shortcut', '1 个快捷方式'),
    ('MainWindow_Menu_ExportGroups', 'Export Groups ...', '导出组 ...'),
    ('MainWindow_Menu_ImportGroups', 'Import Groups ...', '导入组 ...'),
    ('MainWindow_RestoreLayoutConfirm', 'Restore the groups and shortcuts of %1? The current layout is kept as a snapshot first, so you can go back to it.', '要恢复 %1 的组和快捷方式吗？当前布局会先保存为快照，可以随时恢复。'),
    ('MainWindow_RestoreLayoutFailed', 'The layout could not be restored: %1', '无法恢复布局：%1'),
    ('MainWindow_ExportGroupsFailed', 'The groups could not be exported: %1', '无法导出组：%1'),
    ('MainWindow_ImportGroupsFailed', 'The groups could not be imported: %1', '无法导入组：%1'),
    ('MainWindow_ZipFiles', 'Zip archives (*.zip)', 'Zip 压缩文件 (*.zip)'),
    ('Access_Panel', 'Shortcut groups', '快捷方式组'),
    ('Access_Group', 'Group %1, %2', '第 %1 组，%2'),
    ('Access_Open', 'Open', '打开'),
    ('Access_Press', 'Press', '按下'),
    ('Options_Form_Title', 'Options', '选项'),
    ('Options_Tab_General', 'General', '常用'),
    ('Options_Tab_General_LbFloatingButton', "Floating Button's Visible Height", '浮动按钮可见高度'),
    ('Options_Tab_General_ChkAutoStart', 'Auto start when user logs on Windows', '当用户登录到Windows时自动启动'),
    ('Options_Tab_General_PanelStartButtonColor', 'Change color ...', '改变颜色...'),
    ('Options_Tab_General_LabelStartButtonColor', 'Color', '颜色'),
    ('Options_Tab_About', 'About', '关于'),
    ('MainWindow_Filter_Hint', 'Type to find a shortcut', '输入名称或拼音查找快捷方式'),
    ('Options_Tab_General_LbHotkey', 'Show the panel and search with', '显示面板并搜索的快捷键'),
    ('Options_Tab_General_HotkeyTaken', 'Another program uses these keys', '其他程序已占用此快捷键'),
]


def encode(column):
    text = '\r\n'.join(f'{key}={texts[column]}' for key, *texts in TEXTS)
    return b'\xff\xfe' + text.encode('utf-16-le')


def main():
    resources = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[1] / 'resources'
    (resources / 'CultureText.txt').write_bytes(encode(0))
    (resources / 'CultureText_zh_CN.txt').write_bytes(encode(1))


if __name__ == '__main__':
    main()
