// SPDX-License-Identifier: MIT
// The design window at the bench: its settings, its size, cancelling, the exports, the printed
// report and the plots.
#include <numeric>

#include "tests/ui/design_fixture.h"
#include "ui/study_plots.h"

namespace zeva::ui {
namespace {

// The build and study controls survive closing the window and starting again; the same design again
// keeps its analysis; 重新分析 runs it afresh after a cancel.
TEST_F(Design, settings_are_kept_and_an_analysis_runs_again_only_when_asked) {
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    finish(window);
    find<QComboBox>("mounting", window)->setCurrentIndex(1);
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
    EXPECT_EQ(find<QComboBox>("mounting", window)->currentIndex(), 1);
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

    // The studies' fields too, a wrong one as it was typed.
    find<QCheckBox>("overGround", window)->setChecked(true);
    find<QComboBox>("ground", window)->setCurrentIndex(3);
    for (const auto& [name, value] : {std::pair{"sweepRange", "14:14.35"},
                                      {"height", "12"},
                                      {"toleranceLength", "2"},
                                      {"tolerancePosition", "x"},
                                      {"toleranceSamples", "50"}}) {
        auto* field = find<QLineEdit>(name, window);
        field->setText(QString::fromLatin1(value));
        QTest::keyClick(field, Qt::Key_Return);
    }
    finish(window);
    delete designWindow().data();
    window = open();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(find<QCheckBox>("overGround", window)->isChecked());
    EXPECT_EQ(find<QComboBox>("ground", window)->currentIndex(), 3);
    EXPECT_EQ(find<QLineEdit>("sweepRange", window)->text(), "14:14.35");
    EXPECT_EQ(find<QLineEdit>("height", window)->text(), "12");
    EXPECT_EQ(find<QLineEdit>("toleranceLength", window)->text(), "2");
    EXPECT_EQ(find<QLineEdit>("tolerancePosition", window)->text(), "x");
    EXPECT_EQ(find<QLineEdit>("toleranceSamples", window)->text(), "50");
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
    // The size it asks for, which a laptop's screen gives it (the test's screen is smaller).
    window->resize(1140, 680);
    QApplication::processEvents();
    // The build and study boxes need no more than the sheet's side is at first (520 pixels):
    // no field behind a scroll bar.
    for (const char* name : {"build", "studies"}) {
        EXPECT_LE(find<QWidget>(name, window)->minimumSizeHint().width(), 520) << name;
    }
    EXPECT_FALSE(find<QScrollArea>("sheetSide", window)->horizontalScrollBar()->isVisible());
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
    EXPECT_EQ(find<QLabel>("analysisStatus", window)->text(),
              QString::fromUtf8("已保存 %1。").arg(QDir::toNativeSeparators(file("s.pdf"))));
    // scripts/screenshots keeps this report as the example in docs/.
    if (const QString keep = qEnvironmentVariable("ZEVA_KEEP_REPORT"); !keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(file("s.pdf"), keep);
    }
    QFile deck(file("s.nec"));
    ASSERT_TRUE(deck.open(QIODevice::ReadOnly));
    EXPECT_TRUE(deck.readAll().contains("EN"));

    // The PDF read back: four A4 pages, the sheet, the workshop drawing, the figures and the
    // Smith chart.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file("s.pdf")});
    ASSERT_TRUE(info.waitForFinished(20000)) << "pdfinfo (poppler-utils) is needed";
    const QString pages = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(pages.contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\n"))))
        << pages.toStdString();
    EXPECT_TRUE(pages.contains(QStringLiteral("595.276 x 841.89 pts (A4)")) ||
                pages.contains(QStringLiteral("595 x 842 pts (A4)")))
        << pages.toStdString();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {file("s.pdf"), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString read = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected :
         {"八木天线下料表", "反射器", "3.3118", "37.4851", "加工图", "前向增益", "史密斯圆图"}) {
        EXPECT_TRUE(read.contains(QString::fromUtf8(expected))) << expected;
    }

    // A study made: a fourth page with its figures, as the window shows them.
    find<QCheckBox>("overGround", window)->setChecked(true);
    finish(window);
    ASSERT_TRUE(window->exportTo(Export::Pdf, file("ground.pdf")));
    info.start(QStringLiteral("pdfinfo"), {file("ground.pdf")});
    ASSERT_TRUE(info.waitForFinished(20000));
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+5\\n"))));
    text.start(QStringLiteral("pdftotext"), {file("ground.pdf"), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString withGround = QString::fromUtf8(text.readAllStandardOutput());
    const QStringList shown = figures(window).split('\n');
    const auto takeoff = std::find_if(shown.begin(), shown.end(), [](const QString& line) {
        return line.startsWith(QStringLiteral("仰角（最强辐射方向）"));
    });
    ASSERT_NE(takeoff, shown.end()) << figures(window).toStdString();
    EXPECT_TRUE(withGround.contains(*takeoff)) << takeoff->toStdString();

    EXPECT_TRUE(errors.isEmpty());
    EXPECT_FALSE(window->exportTo(Export::Csv, QStringLiteral("/nonexistent/folder/s.csv")));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("/nonexistent/folder/s.csv")));
}

// A PDF's text as pdftotext reads it (with each word's box, where asked); empty, with a
// failure, where it cannot.
QString textOfPdf(const QByteArray& pdf, bool boxes = false) {
    QProcess text;
    QStringList arguments{QStringLiteral("-"), QStringLiteral("-")};
    if (boxes) arguments.prepend(QStringLiteral("-bbox"));
    text.start(QStringLiteral("pdftotext"), arguments);
    text.write(pdf);
    text.closeWriteChannel();
    if (!text.waitForFinished(20000)) {
        ADD_FAILURE() << "pdftotext (poppler-utils) is needed";
        return {};
    }
    return QString::fromUtf8(text.readAllStandardOutput());
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
            const QString read = textOfPdf(pdf);
            for (const std::string& heading : headings) {
                EXPECT_TRUE(read.contains(QString::fromStdString(heading)))
                    << heading << (corrected ? " with" : " without") << " the cut columns, "
                    << (paper == QPageSize::A4 ? "A4" : "Letter") << "\n"
                    << read.toStdString();
            }
            // The table's words no smaller than the design line's 9 points: its first word, the
            // reflector's name, against the line's first word.
            const QString boxes = textOfPdf(pdf, true);
            const auto height = [&boxes](const QString& word) {
                const QRegularExpression box(
                    QStringLiteral("yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">") +
                    QRegularExpression::escape(word));
                const QRegularExpressionMatch found = box.match(boxes);
                return found.hasMatch()
                           ? found.captured(2).toDouble() - found.captured(1).toDouble()
                           : 0.0;
            };
            const double line = height(QString::fromUtf8("多元件,"));
            ASSERT_GT(line, 0) << boxes.toStdString();
            EXPECT_GE(height(QString::fromUtf8("反射器")), 0.99 * line)
                << (corrected ? "with" : "without") << " the cut columns";
        }
    }
}

// With a tube schedule the report gets the cut list and the tubes to buy, every row whole.
TEST(Report, prints_the_cut_list_and_the_tubes_to_buy) {
    sheet::DesignRequest request;
    request.design.mode = ElementMode::FourElement;
    request.design.frequency = "28.5";
    request.design.diameterIndex = 14;  // 1 in
    request.construction.tubes = analysis::TubeSchedule{};
    request.construction.tubes->tubes = {{0.0254, 0.6}, {0.0222, 0.9}, {0.019, 0}};
    sheet::CutSheet sheet = sheet::makeCutSheet(request, analysis::Language::Chinese).value();
    ASSERT_FALSE(sheet::applyTubes(sheet).has_value());
    const QByteArray pdf = reportPdf({sheet, nullptr, nullptr, {}, QPageSize(QPageSize::A4)});
    const QString read = textOfPdf(pdf);
    // The workshop drawing's page, with every element's name on it.
    EXPECT_TRUE(read.contains(QString::fromUtf8("加工图")));
    std::vector<std::vector<std::string>> rows = sheet::cutListRows(*sheet.tubes, sheet.language);
    const auto stock = sheet::stockRows(*sheet.tubes, sheet.language);
    rows.insert(rows.end(), stock.begin(), stock.end());
    for (const auto& row : rows) {
        for (const std::string& cell : row) {
            EXPECT_TRUE(read.contains(QString::fromStdString(cell))) << cell << "\n"
                                                                     << read.toStdString();
        }
    }
}

// The tolerance histogram's bands follow the spread in steps the SWR is printed to: a spread of
// hundredths is not drawn as twenty bars, and a wide one is not cut finer than twenty.
TEST(Plots, the_swr_bands_follow_the_spread_in_printed_steps) {
    const auto total = [](const SwrBands& b) {
        return std::accumulate(b.counts.begin(), b.counts.end(), 0);
    };
    const SwrBands narrow = swrBands({1.261, 1.263, 1.265, 1.268, 1.2701, 1.269});
    EXPECT_DOUBLE_EQ(narrow.width, 0.01);
    EXPECT_NEAR(narrow.start, 1.26, 1e-12);
    EXPECT_EQ(narrow.counts, (std::vector<int>{5, 1}));

    const SwrBands alike = swrBands({1.5, 1.5, 1.5});
    EXPECT_EQ(alike.counts, (std::vector<int>{3}));
    EXPECT_NEAR(alike.start, 1.5, 1e-12) << "a sample on an edge is in the band above it";

    std::vector<double> wide;
    for (int i = 0; i <= 140; ++i) wide.push_back(1.1 + 0.01 * i);  // 1.10 to 2.50
    const SwrBands spread = swrBands(wide);
    EXPECT_DOUBLE_EQ(spread.width, 0.1);
    EXPECT_EQ(spread.counts.size(), 15u);
    EXPECT_EQ(total(spread), 141);
    EXPECT_TRUE(swrBands({}).counts.empty());
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
