// Times the shortcut search as the user types: 10,000 names, Latin, Chinese and mixed, each with
// a target file name, and queries typed one key at a time, each keystroke ranking every name
// anew. Prints the time to prepare the names and the median, 90th percentile and worst time per
// keystroke. Run by hand:
//   build-host/bench/shortcut_matcher_bench [--names N] [--rounds R] [--smoke]
//   WINEPREFIX=$PWD/build/wine/unit wine build/bench/shortcut_matcher_bench.exe
// --smoke runs once with 200 names, to see that it still runs.

#include "foundation/text/ShortcutMatcher.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using Tessel::Common::ShortcutMatcher;

namespace {

// The same names on every run and every platform.
class Random {
public:
    std::uint32_t Below(std::uint32_t n) {
        mState = mState * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>((mState >> 33) % n);
    }
    template <typename T, std::size_t N> const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
    std::uint64_t mState = 20261210;
};

const wchar_t* const LatinWords[] = {
    L"Visual", L"Studio", L"Code",    L"Adobe",   L"Photo",    L"Editor", L"Player",  L"Manager",   L"Tools",
    L"Setup",  L"Office", L"Word",    L"Excel",   L"Note",     L"Pad",    L"Media",   L"Center",    L"Chrome",
    L"Fire",   L"Fox",    L"Sublime", L"Text",    L"Git",      L"Hub",    L"Desktop", L"Terminal",  L"Power",
    L"Shell",  L"Remote", L"Viewer",  L"Paint",   L"Net",      L"Audio",  L"Video",   L"Converter", L"Backup",
    L"Cloud",  L"Drive",  L"Sync",    L"Mail",    L"Calendar", L"Studio", L"Reader",  L"Writer",    L"Launcher",
    L"Game",   L"Steam",  L"Zip",     L"Archive", L"Image",
};
const wchar_t* const Versions[] = {L" 2019", L" 2021", L" 11", L" 3.2", L" x64", L" (Beta)"};
// Common characters, some with several readings.
const wchar_t ChineseCharacters[] = L"记事本微信腾讯音乐视频播放器浏览器计算器画图文档表格输入法杀毒安全卫士网盘下载"
                                    L"管理助手游戏中心银行重庆长城乐行和的了都会朝阳大学工具设置系统控制面板图片编辑"
                                    L"压缩解码翻译词典地图邮件日历相机录屏截图阅读小说新闻天气股票办公软件代码开发";
const wchar_t* const LatinPrefixes[] = {L"QQ", L"WPS ", L"VS", L"360", L"PDF", L"Win"};
const wchar_t* const Extensions[] = {L".exe", L".lnk", L".bat", L".msc"};

struct Names {
    std::vector<std::wstring> display;
    std::vector<std::wstring> targets;
};

std::wstring ChineseWord(Random& random, int length) {
    std::wstring word;
    const std::size_t count = std::wcslen(ChineseCharacters);
    for (int i = 0; i < length; ++i) {
        word += ChineseCharacters[random.Below(static_cast<std::uint32_t>(count))];
    }
    return word;
}

// Half Latin names of one to four words, three tenths Chinese, the rest Latin and Chinese mixed.
Names MakeNames(std::size_t count) {
    Random random;
    Names names;
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring name;
        std::wstring target;
        const std::uint32_t kind = random.Below(10);
        if (kind < 5) {
            const std::uint32_t words = 1 + random.Below(4);
            for (std::uint32_t w = 0; w < words; ++w) {
                name += (w > 0 ? L" " : L"");
                name += random.Pick(LatinWords);
            }
            if (random.Below(4) == 0) {
                name += random.Pick(Versions);
            }
            target = random.Pick(LatinWords) + std::wstring(random.Pick(LatinWords));
        } else if (kind < 8) {
            name = ChineseWord(random, 2 + static_cast<int>(random.Below(5)));
            target = random.Pick(LatinWords);
        } else {
            name = random.Pick(LatinPrefixes) + ChineseWord(random, 2 + static_cast<int>(random.Below(3)));
            target = random.Pick(LatinPrefixes) + std::wstring(random.Pick(LatinWords));
        }
        names.display.push_back(std::move(name));
        names.targets.push_back(L"C:\\Program Files\\App\\" + target + random.Pick(Extensions));
    }
    return names;
}

// What the user types: whole words, initials, pinyin, mixed, and queries that find nothing.
const wchar_t* const Queries[] = {
    L"visual studio code",
    L"vsc",
    L"jishiben",
    L"jsb",
    L"weixin",
    L"qqyinyue",
    L"photo editor",
    L"daima",
    L"tengxun",
    L"wps",
    L"chongqing",
    L"zhangcheng",
    L"excel 2019",
    L"yinhang",
    L"xyzzy",
    L"remote desktop",
    L"llq",
    L"360anquanweishi",
    L"ps",
    L"git",
    L"jsq",
    L"shipinbofangqi",
    L"zip archive",
    L"qwertyuiop",
};

double Milliseconds(std::chrono::steady_clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

double Percentile(const std::vector<double>& sorted, double fraction) {
    return sorted[static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
    std::size_t count = 10000;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            count = 200;
            rounds = 1;
        } else if (std::strcmp(argv[i], "--names") == 0 && i + 1 < argc) {
            count = std::strtoul(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--names N] [--rounds R] [--smoke]\n", argv[0]);
            return 2;
        }
    }
    if (count == 0 || rounds <= 0) {
        std::fprintf(stderr, "the names and rounds must be more than 0\n");
        return 2;
    }

    const Names names = MakeNames(count);
    std::vector<ShortcutMatcher::Candidate> candidates;
    for (std::size_t i = 0; i < count; ++i) {
        candidates.push_back({names.display[i], names.targets[i]});
    }
    const auto prepareStart = std::chrono::steady_clock::now();
    ShortcutMatcher matcher(candidates);
    const double prepare = Milliseconds(std::chrono::steady_clock::now() - prepareStart);

    // Each keystroke's time is the fastest of the rounds, which leaves out the moments when the
    // system ran something else; the slowest single time is printed beside it.
    std::vector<std::wstring> keystrokes;
    for (const wchar_t* query : Queries) {
        const std::wstring typed = query;
        for (std::size_t keys = 1; keys <= typed.size(); ++keys) {
            keystrokes.push_back(typed.substr(0, keys));
        }
    }
    std::vector<double> fastest(keystrokes.size(), 1e300);
    double slowest = 0;
    std::size_t found = 0;
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < keystrokes.size(); ++k) {
            const auto start = std::chrono::steady_clock::now();
            found += matcher.Match(keystrokes[k]).size();
            const double elapsed = Milliseconds(std::chrono::steady_clock::now() - start);
            fastest[k] = std::min(fastest[k], elapsed);
            slowest = std::max(slowest, elapsed);
        }
    }
    const std::size_t worst =
        static_cast<std::size_t>(std::max_element(fastest.begin(), fastest.end()) - fastest.begin());
    const std::string worstQuery(keystrokes[worst].begin(), keystrokes[worst].end()); // the queries are ASCII
    std::vector<double> sorted = fastest;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%zu names prepared in %.2f ms\n", count, prepare);
    std::printf("per keystroke of %zu names: median %.3f ms, 90th percentile %.3f ms, worst %.3f ms "
                "(%zu keystrokes of %zu queries, fastest of %d rounds each; %.1f matches on average)\n",
                count, Percentile(sorted, 0.5), Percentile(sorted, 0.9), fastest[worst], keystrokes.size(),
                std::size(Queries), rounds,
                static_cast<double>(found) / static_cast<double>(rounds * keystrokes.size()));
    std::printf("worst keystroke: \"%s\"; slowest single keystroke of all rounds: %.3f ms\n", worstQuery.c_str(),
                slowest);
    if (std::getenv("BENCH_EACH")) {
        for (std::size_t k = 0; k < keystrokes.size(); ++k) {
            std::printf("%8.3f ms  %s\n", fastest[k], std::string(keystrokes[k].begin(), keystrokes[k].end()).c_str());
        }
    }
    return 0;
}
