// SPDX-License-Identifier: MIT
// Start-up: the main window, built from its layout and shown; then the event loop, which
// ends when the last open window closes.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <optional>

#include "nec/matrix.h"
#include "ui/form1.h"
#include "ui/language.h"
#include "ui/startup.h"

namespace {

// zeva --help and --version answer on the terminal, before any window or display is needed.
constexpr const char* kHelp =
    "用法：zeva [选项]\n"
    "八木天线设计程序：主窗口计算各元件的长度和间距，“下料与分析”窗口给出下料表、\n"
    "NEC-2 分析、从设计到天线的修正与匹配、离地、公差和测量对照。命令行版本见 zeva-sheet。\n"
    "Usage: zeva [OPTION]\n"
    "The Yagi-Uda designer's windows; zeva-sheet is the command line.\n"
    "\n"
    "      --lang LANG  设计窗口和换算窗口的语言：zh（默认）或 en；不给出时按设置文件中的\n"
    "                   language=zh|en / the language of the design window and the converter:\n"
    "                   zh (the default) or en; without it, language=zh|en in the settings\n"
    "  -h, --help       显示本说明 / this text\n"
    "      --version    显示版本 / the version\n";

}  // namespace

int main(int argc, char* argv[]) {
    zeva::nec::keepBlasToOneThread();  // before any thread, Qt's included
    std::optional<zeva::Language> language;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lang") == 0 || std::strncmp(argv[i], "--lang=", 7) == 0) {
            const char* name = argv[i][6] == '=' ? argv[i] + 7 : (i + 1 < argc ? argv[++i] : "");
            language = zeva::ui::languageNamed(QString::fromUtf8(name));
            if (!language) {
                std::fprintf(stderr, "zeva: --lang 必须是 zh 或 en / must be zh or en: %s\n", name);
                return 2;
            }
            continue;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("zeva " ZEVA_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    zeva::ui::setWindowLanguage(language.value_or(zeva::ui::settingsLanguage()));
    zeva::ui::configureApplication();
    zeva::ui::Form1 form1;
    form1.show();
    return QApplication::exec();
}
