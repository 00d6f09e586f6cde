// SPDX-License-Identifier: MIT
// The design window driven from the main window as a user drives it: a Calculate, then
// "下料与分析"; its table, figures, plots and exports checked against zeva-sheet, which
// prints the same design from the same code. The analysis runs NEC-2 in process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "sheet/render.h"
#include "tests/ui/main_window_test.h"
#include "ui/design_window.h"
#include "ui/errors.h"
#include "ui/form1.h"
#include "ui/plots.h"
#include "ui/report.h"

namespace zeva::ui {
namespace {

struct Outcome {
    int status = -1;
    QString out;
};

// zeva-sheet with the arguments, and what it printed.
Outcome zevaSheet(const QStringList& arguments) {
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
std::vector<QStringList> csvRows(const QString& text) {
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
int threadCount() {
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
    // Waits for the analysis to end; the longest pause of the event loop meanwhile, in ms.
    qint64 finish(DesignWindow* window) {
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
        while (window->analysing() && clock.elapsed() < 120000) QTest::qWait(20);
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

TEST_F(Design, the_command_sits_in_the_free_corner_and_asks_for_a_design_first) {
    auto* command = find<QPushButton>("Command6", form.get());
    EXPECT_EQ(command->text(), QString::fromUtf8("下料与分析"));
    EXPECT_EQ(command->geometry(), QRect(520, 368, 65, 25));
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("下料与分析"));
    EXPECT_TRUE(find<QLabel>("designLabel", window)->text().contains(QString::fromUtf8("计算")));
    EXPECT_EQ(table(window)->rowCount(), 0);
    EXPECT_FALSE(find<QPushButton>("exportCsv", window)->isEnabled());
    open();  // one instance, brought to the front
    EXPECT_EQ(designWindow().data(), window);
}

TEST_F(Design, the_sheet_is_zeva_sheets_and_copies_as_tab_separated_text) {
    qputenv("PATH", "/nonexistent");  // neither the sheet nor the analysis needs a program
    calculate("Option3", 10, "144");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    const Outcome sheet =
        zevaSheet({"-e", "multi", "-f", "144", "-d", "1/2", "--format", "csv", "--lang", "zh"});
    ASSERT_EQ(sheet.status, 0);
    const std::vector<QStringList> rows = csvRows(sheet.out);
    QAbstractItemModel* model = table(window);
    ASSERT_EQ(model->rowCount(), 23);
    ASSERT_EQ(rows.size(), 24u);  // headings, 23 elements
    for (int column = 0; column < model->columnCount(); ++column) {
        EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(), rows[0][column]);
        for (int row = 0; row < model->rowCount(); ++row) {
            EXPECT_EQ(model->index(row, column).data().toString(),
                      rows[static_cast<std::size_t>(row) + 1][column])
                << row << "," << column;
        }
    }
    // The boom's length as zeva-sheet's text gives it.
    const Outcome text = zevaSheet({"-e", "multi", "-f", "144", "-d", "1/2", "--lang", "zh"});
    const QRegularExpressionMatch boom =
        QRegularExpression(QStringLiteral("天线杆长度：([0-9.]+) 英尺")).match(text.out);
    ASSERT_TRUE(boom.hasMatch()) << text.out.toStdString();
    EXPECT_TRUE(find<QLabel>("boomLabel", window)->text().contains(boom.captured(1)));
    // Without nec2c on the path, the analysis runs all the same.
    finish(window);
    EXPECT_TRUE(figures(window).contains(QStringLiteral("dBi"))) << figures(window).toStdString();

    auto* view = find<QTableView>("sheetTable", window);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = QApplication::clipboard()->text().split('\n');
    ASSERT_GE(copied.size(), 24);
    EXPECT_EQ(copied[0], rows[0].join('\t'));
    EXPECT_EQ(copied[1], rows[1].join('\t'));
    EXPECT_EQ(copied[23], rows[23].join('\t'));
}

TEST_F(Design, analysis_in_the_background_gives_zeva_sheets_figures_and_follows_each_design) {
    calculate("Option3", 10, "144");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->analysing());
    EXPECT_TRUE(find<QPushButton>("cancelAnalysis", window)->isEnabled());
    // The event loop keeps turning while the engine works: a 20 ms timer is never held up long
    // (the margin holds for a sanitizer build beside another test on a busy 2-core machine).
    EXPECT_LT(finish(window), 200);

    const Outcome analysed = zevaSheet({"-e", "multi", "-f", "144", "-d", "1/2", "--analyse"});
    ASSERT_EQ(analysed.status, 0);
    const QStringList lines = figures(window).split('\n');
    // nine, the two bandwidths and the trim
    ASSERT_EQ(lines.size(), 12) << figures(window).toStdString();
    for (const QString& line : lines) {
        EXPECT_TRUE(analysed.out.contains(line + '\n')) << line.toStdString();
    }
    EXPECT_TRUE(find<QPushButton>("exportPattern", window)->isEnabled());

    // A new Calculate replaces the sheet and the analysis.
    calculate("Option1", 14, "14.2");
    EXPECT_EQ(table(window)->rowCount(), 3);
    EXPECT_EQ(table(window)->index(0, 1).data().toString(), "34.047");
    EXPECT_TRUE(figures(window).isEmpty());
    finish(window);
    const Outcome three = zevaSheet({"-e", "3", "-f", "14.2", "-d", "1in", "--analyse"});
    const QString gain = figures(window).split('\n').value(0);
    EXPECT_TRUE(gain.startsWith(QString::fromUtf8("前向增益")));
    EXPECT_TRUE(three.out.contains(gain + '\n')) << gain.toStdString();
}

// The controls below the sheet: the mounting changes the cut lengths at once, a match asks
// for the tuning again; both as zeva-sheet gives them, and a wrong entry is named.
TEST_F(Design, boom_correction_and_match_follow_the_controls) {
    qputenv("PATH", "/nonexistent");
    calculate("Option3", 10, "144");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    auto* mounting = find<QComboBox>("mounting", window);
    auto* boom = find<QLineEdit>("boomDiameter", window);
    mounting->setCurrentIndex(2);  // through the boom, bonded
    const Outcome sheet = zevaSheet({"-f", "144", "-d", "1/2", "--mounting", "bonded",
                                     "--boom-diameter", "25.4", "--format", "csv"});
    const std::vector<QStringList> rows = csvRows(sheet.out);
    QAbstractItemModel* model = table(window);
    ASSERT_EQ(model->columnCount(), 11);
    for (int column = 0; column < 11; ++column) {
        EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(), rows[0][column]);
        EXPECT_EQ(model->index(0, column).data().toString(), rows[1][column]) << column;
    }
    EXPECT_EQ(model->index(0, 4).data().toString(), "3.3346");
    EXPECT_TRUE(find<QLabel>("boomLabel", window)->text().contains(QString::fromUtf8("6.94 mm")));

    boom->setText(QStringLiteral("abc"));
    QTest::keyClick(boom, Qt::Key_Return);
    EXPECT_TRUE(find<QLabel>("buildNote", window)->text().contains(QString::fromUtf8("杆径")));
    EXPECT_EQ(boom->text(), "abc");  // left as typed
    EXPECT_EQ(model->columnCount(), 8);
    boom->setText(QStringLiteral("200"));
    QTest::keyClick(boom, Qt::Key_Return);
    EXPECT_TRUE(find<QLabel>("buildNote", window)->text().contains(QStringLiteral("0.055")));

    qputenv("PATH", path);
    boom->setText(QStringLiteral("25.4"));
    QTest::keyClick(boom, Qt::Key_Return);
    calculate("Option1", 14, "14.2");
    finish(window);
    find<QComboBox>("match", window)->setCurrentIndex(3);  // hairpin and coax
    finish(window);
    const Outcome matched =
        zevaSheet({"-e", "3", "-f", "14.2", "-d", "1in", "--analyse", "--match", "hairpin,coax"});
    ASSERT_EQ(matched.status, 0);
    const QStringList lines = figures(window).split('\n');
    ASSERT_EQ(lines.size(), 14) << figures(window).toStdString();
    for (const QString& line : lines.mid(9)) {
        EXPECT_TRUE(matched.out.contains(line + '\n')) << line.toStdString();
    }
}

// Over the ground and within a tolerance, from the window's controls: the figures are
// zeva-sheet's for the same options, the plots appear, a wrong control is named.
TEST_F(Design, the_studies_follow_their_controls_and_match_zeva_sheet) {
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    finish(window);
    auto* height = find<QLineEdit>("height", window);
    height->setText(QStringLiteral("12"));
    find<QComboBox>("ground", window)->setCurrentIndex(3);  // good ground
    QTest::mouseClick(find<QCheckBox>("overGround", window), Qt::LeftButton);
    finish(window);
    find<QLineEdit>("toleranceSamples", window)->setText(QStringLiteral("20"));
    QTest::mouseClick(find<QPushButton>("runTolerance", window), Qt::LeftButton);
    finish(window);
    const Outcome sheet =
        zevaSheet({"-e", "3", "-f", "14.2", "-d", "1in", "--analyse", "--height", "12", "--ground",
                   "good", "--tolerance", "1mm,1mm", "--samples", "20"});
    ASSERT_EQ(sheet.status, 0);
    const QString shown = figures(window);
    for (const char* label :
         {"离地：", "仰角（最强辐射方向）：", "仰角 -3 dB 波束宽度：", "离地的馈点阻抗：",
          "制作公差：", "公差下的驻波比：", "谐振频率的偏移：", "对电抗影响最大的元件长度："}) {
        const QRegularExpression line(QRegularExpression::escape(QString::fromUtf8(label)) +
                                      QStringLiteral("[^\n]*"));
        const QString inWindow = line.match(shown).captured();
        ASSERT_FALSE(inWindow.isEmpty()) << label << "\n" << shown.toStdString();
        EXPECT_TRUE(sheet.out.contains(inWindow + '\n')) << inWindow.toStdString();
    }

    // A wrong height is named, and the figures already shown stay.
    height->setText(QStringLiteral("ten"));
    QTest::keyClick(height, Qt::Key_Return);
    EXPECT_TRUE(find<QLabel>("buildNote", window)->text().contains(QStringLiteral("ten")));
    EXPECT_TRUE(figures(window).contains(QStringLiteral("仰角（最强辐射方向）：")));
}

// A measured sweep imported: the advice is zeva-sheet's for the same file, the measured SWR
// joins the plot's keys, a malformed file is named with its line and changes nothing.
TEST_F(Design, an_imported_measurement_gives_zeva_sheets_trim) {
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    finish(window);
    const QString example = QStringLiteral(ZEVA_EXAMPLES_DIR "/measured-3-elements-14.2-mhz.s1p");
    setOpenFileChooser([&](QWidget*, const QString&, const QString&) { return example; });
    QTest::mouseClick(find<QPushButton>("importMeasurement", window), Qt::LeftButton);
    finish(window);
    const Outcome sheet =
        zevaSheet({"-e", "3", "-f", "14.2", "-d", "1in", "--analyse", "--measured", example});
    ASSERT_EQ(sheet.status, 0);
    const QString shown = figures(window);
    for (const char* label : {"测量：", "修剪建议："}) {
        const QRegularExpression line(QString::fromUtf8(label) + QStringLiteral("[^\\n]*"));
        const QString inWindow = line.match(shown).captured();
        ASSERT_FALSE(inWindow.isEmpty()) << label << "\n" << shown.toStdString();
        EXPECT_TRUE(sheet.out.contains(inWindow + '\n')) << inWindow.toStdString();
    }

    QTemporaryDir folder;
    const QString bad = folder.filePath(QStringLiteral("bad.s1p"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# MHZ S RI R 50\n14.0 0.1 0.1\n13.9 0.1 0.1\n");
    file.close();
    setOpenFileChooser([&](QWidget*, const QString&, const QString&) { return bad; });
    errors.clear();
    QTest::mouseClick(find<QPushButton>("importMeasurement", window), Qt::LeftButton);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("第 3 行"))) << errors[0].toStdString();
    EXPECT_EQ(figures(window), shown);  // the advice from the good file stays
}

// The build controls survive closing the window and starting again; the same design again
// keeps its analysis; 重新分析 runs it afresh after a cancel.
TEST_F(Design, settings_are_kept_and_an_analysis_runs_again_only_when_asked) {
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    finish(window);
    find<QComboBox>("mounting", window)->setCurrentIndex(2);
    find<QCheckBox>("drivenThroughBoom", window)->setChecked(true);
    find<QComboBox>("match", window)->setCurrentIndex(1);
    for (const auto& [name, value] : {std::pair{"boomDiameter", "31.8"},
                                      {"hairpinWire", "2"},
                                      {"hairpinSpacing", "40"},
                                      {"velocityFactor", "0.8"}}) {
        auto* field = find<QLineEdit>(name, window);
        field->setText(QString::fromLatin1(value));
        QTest::keyClick(field, Qt::Key_Return);
    }
    finish(window);
    delete designWindow().data();
    window = open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(find<QComboBox>("mounting", window)->currentIndex(), 2);
    EXPECT_TRUE(find<QCheckBox>("drivenThroughBoom", window)->isChecked());
    EXPECT_EQ(find<QComboBox>("match", window)->currentIndex(), 1);
    EXPECT_EQ(find<QLineEdit>("boomDiameter", window)->text(), "31.8");
    EXPECT_EQ(find<QLineEdit>("hairpinWire", window)->text(), "2");
    EXPECT_EQ(find<QLineEdit>("hairpinSpacing", window)->text(), "40");
    EXPECT_EQ(find<QLineEdit>("velocityFactor", window)->text(), "0.8");
    finish(window);

    // The same design again: the analysis stands, nothing runs.
    const QString before = figures(window);
    ASSERT_FALSE(before.isEmpty());
    calculate("Option1", 14, "14.2");
    EXPECT_FALSE(window->analysing());
    EXPECT_EQ(figures(window), before);

    // Cancelled, then asked again.
    find<QPushButton>("reanalyse", window)->click();
    EXPECT_TRUE(window->analysing());
    window->cancelAnalysis();
    EXPECT_FALSE(window->analysing());
    find<QPushButton>("reanalyse", window)->click();
    EXPECT_TRUE(window->analysing());
    finish(window);
    EXPECT_EQ(figures(window), before);
}

// A laptop's screen: the window with its frame fits 1366x728 at first, and at 1024x600 the
// plots, the figures and the commands keep their room. The sweep's table is zeva-sheet's.
TEST_F(Design, fits_a_laptop_and_tabulates_the_sweep) {
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    finish(window);
    EXPECT_LE(window->width(), 1366);
    EXPECT_LE(window->height() + 40, 728);  // a title bar of up to 40 pixels
    // The cut columns on (a 2-inch boom for the 1-inch elements): the positions stay in view.
    auto* boom = find<QLineEdit>("boomDiameter", window);
    boom->setText(QStringLiteral("50.8"));
    QTest::keyClick(boom, Qt::Key_Return);
    find<QComboBox>("mounting", window)->setCurrentIndex(2);
    QApplication::processEvents();
    auto* sheetTable = find<QTableView>("sheetTable", window);
    const int last = sheetTable->model()->columnCount() - 1;
    ASSERT_EQ(last, 10);
    EXPECT_LE(sheetTable->columnViewportPosition(last) + sheetTable->columnWidth(last),
              sheetTable->viewport()->width());
    finish(window);
    window->resize(1024, 600);
    QApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(1024, 600)) << "the window's minimum is too large";
    for (const char* name : {"sweepPlot", "analysisFigures", "printReport", "importMeasurement"}) {
        auto* widget = find<QWidget>(name, window);
        const QRect inWindow(widget->mapTo(window, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(window->rect().contains(inWindow)) << name;
        EXPECT_GE(widget->height(), widget->minimumHeight()) << name;
    }
    EXPECT_GE(find<QWidget>("sweepPlot", window)->height(), 200);

    const Outcome sheet = zevaSheet({"-e", "3", "-f", "14.2", "-d", "1in", "--analyse"});
    auto* table = find<QTableView>("sweepTable", window);
    ASSERT_EQ(table->model()->rowCount(), 21);
    ASSERT_EQ(table->model()->columnCount(), 6);
    EXPECT_EQ(table->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("频率(MHz)"));
    for (int row : {0, 10, 20}) {
        QStringList cells;
        for (int column = 0; column < 6; ++column) {
            cells << table->model()->index(row, column).data().toString();
        }
        const QRegularExpression spaced(QStringLiteral("\\s+") +
                                        cells.join(QStringLiteral("\\s+")) + QStringLiteral("\\n"));
        EXPECT_TRUE(sheet.out.contains(spaced)) << cells.join(' ').toStdString();
    }
}

TEST_F(Design, cancelling_or_closing_stops_the_work_at_once_and_leaves_no_thread_behind) {
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    finish(window);
    const int idle = threadCount();
    calculate("Option2", 14, "14.2");  // four elements of 1-inch tube: most of a second's work
    ASSERT_TRUE(window->analysing());
    QTest::qWait(50);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(find<QPushButton>("cancelAnalysis", window), Qt::LeftButton);
    // The engine looks at its stop flag between slices of work of a few milliseconds; the
    // margin is for a sanitizer build on a busy machine.
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(window->analysing());
    EXPECT_TRUE(figures(window).contains(QString::fromUtf8("取消")));
    QTRY_VERIFY_WITH_TIMEOUT(threadCount() <= idle, 5000);

    calculate("Option2", 14, "14.2");
    ASSERT_TRUE(window->analysing());
    QTest::qWait(50);
    clock.restart();
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(designWindow().isNull());
    QTRY_VERIFY_WITH_TIMEOUT(threadCount() <= idle, 5000);
}

TEST_F(Design, exports_are_whole_and_a_failure_names_its_file) {
    calculate("Option3", 10, "144");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    finish(window);
    QTemporaryDir folder;
    const auto file = [&folder](const char* name) { return folder.filePath(QLatin1String(name)); };

    // Through the button and the (stand-in) file dialog.
    setSaveFileChooser([&](QWidget*, const QString&, const QString&) { return file("s.json"); });
    QTest::mouseClick(find<QPushButton>("exportJson", window), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(file("s.json")));
    const Outcome again = zevaSheet({"--geometry", file("s.json"), "--lang", "en"});
    EXPECT_EQ(again.status, 0) << again.out.toStdString();
    EXPECT_TRUE(again.out.contains(QStringLiteral("144.0000 MHz")));

    // The figures and the sweep as tables of their own, zeva-sheet's for the same design.
    ASSERT_TRUE(window->exportTo(Export::FiguresCsv, file("figures.csv")));
    ASSERT_TRUE(window->exportTo(Export::SweepCsv, file("sweep.csv")));
    for (const auto& [name, option] :
         {std::pair{"figures.csv", "--figures-csv"}, std::pair{"sweep.csv", "--sweep-csv"}}) {
        const Outcome cli = zevaSheet({"-e", "multi", "-f", "144", "-d", "1/2", "-a",
                                       QLatin1String(option), "-", "--lang", "zh"});
        QFile saved(file(name));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(saved.readAll()), cli.out) << name;
    }

    EXPECT_TRUE(window->exportTo(Export::Deck, file("s.nec")));
    EXPECT_TRUE(window->exportTo(Export::Pattern, file("s.svg")));
    EXPECT_TRUE(window->exportTo(Export::Pdf, file("s.pdf")));
    // scripts/screenshots keeps this report as the example in docs/.
    if (const QString keep = qEnvironmentVariable("ZEVA_KEEP_REPORT"); !keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(file("s.pdf"), keep);
    }
    QFile deck(file("s.nec"));
    ASSERT_TRUE(deck.open(QIODevice::ReadOnly));
    EXPECT_TRUE(deck.readAll().contains("EN"));

    // The PDF read back: two A4 pages, the sheet on the first, the figures on the second.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file("s.pdf")});
    ASSERT_TRUE(info.waitForFinished(20000)) << "pdfinfo (poppler-utils) is needed";
    const QString pages = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(pages.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))))
        << pages.toStdString();
    EXPECT_TRUE(pages.contains(QStringLiteral("595.276 x 841.89 pts (A4)")) ||
                pages.contains(QStringLiteral("595 x 842 pts (A4)")))
        << pages.toStdString();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {file("s.pdf"), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString read = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected : {"八木天线下料表", "反射器", "3.3118", "37.4851", "前向增益"}) {
        EXPECT_TRUE(read.contains(QString::fromUtf8(expected))) << expected;
    }

    EXPECT_TRUE(errors.isEmpty());
    EXPECT_FALSE(window->exportTo(Export::Csv, QStringLiteral("/nonexistent/folder/s.csv")));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("/nonexistent/folder/s.csv")));
}

// Every heading of the sheet whole in the PDF report, with the cut columns and without, on
// A4 and on Letter.
TEST(Report, every_heading_prints_whole_on_a4_and_letter) {
    for (const bool corrected : {false, true}) {
        sheet::DesignRequest request;
        request.design.mode = ElementMode::MultiElement;
        request.design.frequency = "144";
        request.design.diameterIndex = 10;
        if (corrected) {
            request.construction.mountingGiven = true;
            request.construction.mounting = analysis::Mounting::Bonded;
            request.construction.boomDiameter = 0.0254;
        }
        sheet::CutSheet sheet = sheet::makeCutSheet(request, analysis::Language::Chinese).value();
        ASSERT_FALSE(sheet::applyBoomCorrection(sheet).has_value());
        const std::vector<std::string> headings = sheet::sheetHeadings(sheet);
        ASSERT_EQ(headings.size(), corrected ? 11u : 8u);
        for (const QPageSize::PageSizeId paper : {QPageSize::A4, QPageSize::Letter}) {
            const QByteArray pdf = reportPdf({sheet, nullptr, nullptr, {}, QPageSize(paper)});
            ASSERT_FALSE(pdf.isEmpty());
            QProcess text;
            text.start(QStringLiteral("pdftotext"), {QStringLiteral("-"), QStringLiteral("-")});
            text.write(pdf);
            text.closeWriteChannel();
            ASSERT_TRUE(text.waitForFinished(20000)) << "pdftotext (poppler-utils) is needed";
            const QString read = QString::fromUtf8(text.readAllStandardOutput());
            for (const std::string& heading : headings) {
                EXPECT_TRUE(read.contains(QString::fromStdString(heading)))
                    << heading << (corrected ? " with" : " without") << " the cut columns, "
                    << (paper == QPageSize::A4 ? "A4" : "Letter") << "\n"
                    << read.toStdString();
            }
        }
    }
}

// The stretches where the SWR runs off its scale, their ends where the curve crosses the top.
TEST(Plots, the_clipped_stretches_of_the_swr_curve) {
    std::vector<analysis::SweepPoint> sweep;
    for (const double swr : {12.0, 8.0, 4.0, 9.0, 14.0, 18.5, 11.0, 6.0}) {
        analysis::SweepPoint p;
        p.frequency = 14.0 + 0.1 * static_cast<double>(sweep.size());
        p.swr = swr;
        sweep.push_back(p);
    }
    const auto stretches = clippedStretches(sweep, kSwrScaleTop);
    ASSERT_EQ(stretches.size(), 2u);
    EXPECT_DOUBLE_EQ(stretches[0].first, 14.0);  // the sweep starts above the scale
    EXPECT_NEAR(stretches[0].second, 14.0 + 0.1 * (12.0 - 10.0) / (12.0 - 8.0), 1e-12);
    EXPECT_NEAR(stretches[1].first, 14.3 + 0.1 * (10.0 - 9.0) / (14.0 - 9.0), 1e-12);
    EXPECT_NEAR(stretches[1].second, 14.6 + 0.1 * (11.0 - 10.0) / (11.0 - 6.0), 1e-12);
    EXPECT_TRUE(clippedStretches(sweep, 20).empty());
}

}  // namespace
}  // namespace zeva::ui
