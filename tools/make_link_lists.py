#!/usr/bin/env python3
"""Writes the advertised-link lists (resources/LinkAd.txt, the English links, and
resources/LinkAd_zh_CN.txt, the Simplified Chinese ones): UTF-16LE with a byte-order mark,
three lines per link (Text=, Tooltip=, Url=), CR LF between lines and none after the last.
The tooltip of every link is its text; the path names the product by the placeholder {App}."""
import sys
from pathlib import Path

# Link id and text, in the resources' order.
ENGLISH = [
    ('apps', 'Handy desktop apps'),
    ('antivirus', 'Virus scanners compared'),
    ('antispyware', 'Spyware removal tools'),
    ('firewall', 'Personal firewalls'),
    ('cleanhistory', 'Privacy and history cleaners'),
    ('tune', 'System tune-up utilities'),
    ('dvd', 'DVD burning and copying'),
    ('videoconverter', 'Video format converters'),
    ('videodownloader', 'Video download helpers'),
    ('recorder', 'Screen and sound recorders'),
    ('image', 'Photo viewers and editors'),
    ('shopping', 'Shopping deals and coupons'),
    ('desktopapps', 'Desktop widgets and tools'),
    ('ebooks', 'E-book readers and libraries'),
]

SIMPLIFIED_CHINESE = [
    ('hospitals', '医院与诊所点评'),
    ('loseweight', '健康减肥方法'),
    ('video', '在线视频精选'),
    ('games', '休闲小游戏'),
    ('netgames', '网络游戏推荐'),
    ('cloth', '服装搭配潮流'),
    ('makeup', '美容化妆心得'),
    ('jewlrry', '珠宝首饰选购'),
    ('cars', '汽车资讯与评测'),
    ('gift', '创意礼品推荐'),
    ('eduhighschool', '高中学习辅导'),
    ('eduenglish', '英语学习资源'),
    ('edudegree', '学历教育指南'),
    ('stock', '股票行情与分析'),
    ('realstate', '房产信息'),
    ('lottery', '彩票资讯'),
    ('lawyer', '律师在线咨询'),
    ('adv', '广告合作'),
]

LISTS = {'LinkAd.txt': ENGLISH, 'LinkAd_zh_CN.txt': SIMPLIFIED_CHINESE}


def lines(links):
    for link_id, text in links:
        yield f'Text={text}'
        yield f'Tooltip={text}'
        yield f'Url=/{{App}}/More.php?id={link_id}'


def encode(links):
    return b'\xff\xfe' + '\r\n'.join(lines(links)).encode('utf-16-le')


def main():
    resources = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[1] / 'resources'
    for name, links in LISTS.items():
        (resources / name).write_bytes(encode(links))


if __name__ == '__main__':
    main()
