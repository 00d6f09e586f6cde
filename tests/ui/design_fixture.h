// SPDX-License-Identifier: MIT
// The fixture of the design window tests: a Calculate in the main window, then "下料与分析";
// the window's table, figures, plots and exports are checked against zeva-sheet, which prints
// the same design from the same code. The analysis runs NEC-2 in process.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "sheet/render.h"
#include "tests/ui/main_window_test.h"
#include "ui/design_window.h"
#include "ui/errors.h"
#include "ui/form1.h"
#include "ui/language.h"
#include "ui/plots.h"
#include "ui/report.h"
#include "ui/side_windows.h"

namespace zeva::ui {

struct Outcome {
    int status = -1;
    QString out;
};

// zeva-sheet with the arguments, and what it printed.
inline Outcome zevaSheet(const QStringList& arguments) {
    QProcess process;
    // In Chinese, as the window speaks, whatever the locale of the test run.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("zh_CN.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZEVA_SHEET_PROGRAM), arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

// The rows of a CSV text: fields split at commas outside quotes, "" for a quote.
inline std::vector<QStringList> csvRows(const QString& text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row << field;
            field.clear();
        } else if (c == '\n') {
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
        } else if (c != '\r') {
            field += c;
        }
    }
    return rows;
}

// The threads of this process: the analysis' workers come and go.
inline int threadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

class Design : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Each test starts from the controls' defaults.
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zeva"),
                  QStringLiteral("zeva"))
            .clear();
    }
    void TearDown() override {
        setSaveFileChooser({});
        setOpenFileChooser({});
        delete designWindow().data();
        MainWindowTest::TearDown();
        qputenv("PATH", path);
    }

    // Mode option, catalogue row, frequency; then Calculate.
    void calculate(const char* mode, int diameter, const char* frequency) {
        click(mode);
        chooseDiameter(diameter);
        type("Text3", QString::fromLatin1(frequency));
        click("Command1");
        ASSERT_TRUE(errors.isEmpty()) << errors.join(';').toStdString();
    }
    DesignWindow* open() {
        click("Command6");
        DesignWindow* window = designWindow().data();
        EXPECT_NE(window, nullptr);
        if (window != nullptr) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        }
        return window;
    }
    // Turns the event loop while busy() holds, for at most a time; the longest pause of the
    // event loop meanwhile, in ms.
    static qint64 longestPauseWhile(const std::function<bool()>& busy, qint64 most) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longest = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        tick.start(20);
        while (busy() && clock.elapsed() < most) QTest::qWait(20);
        return longest;
    }
    // Waits for the analysis to end; the longest pause of the event loop meanwhile, in ms.
    qint64 finish(DesignWindow* window) {
        const qint64 longest = longestPauseWhile([window] { return window->analysing(); }, 120000);
        EXPECT_FALSE(window->analysing());
        return longest;
    }
    QString figures(DesignWindow* window) {
        return find<QPlainTextEdit>("analysisFigures", window)->toPlainText();
    }
    QAbstractItemModel* table(DesignWindow* window) {
        return find<QTableView>("sheetTable", window)->model();
    }

    QByteArray path = qgetenv("PATH");
};

}  // namespace zeva::ui
