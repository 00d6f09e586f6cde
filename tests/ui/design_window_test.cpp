// SPDX-License-Identifier: MIT
// The design window driven from the main window as a user drives it: the sheet, the analysis,
// the build controls, the studies and a measurement, each checked against zeva-sheet.
#include "tests/ui/design_fixture.h"

namespace zeva::ui {
namespace {

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
    EXPECT_FALSE(find<QPushButton>("importMeasurement", window)->isEnabled());
    EXPECT_FALSE(find<QPushButton>("reanalyse", window)->isEnabled());
    open();  // one instance, brought to the front
    EXPECT_EQ(designWindow().data(), window);
}

// The window opens within the screen's available area, whatever the screen: never larger,
// never off it, as large as it asks for where there is room.
TEST(DesignWindowGeometry, opens_within_the_screen) {
    const QSize frame(8, 36);
    struct Case {
        QRect available;
        QRect expected;
    };
    for (const Case& c : {
             Case{{0, 0, 1024, 600}, {0, 0, 1016, 564}},            // a netbook: it shrinks
             Case{{0, 0, 1366, 728}, {109, 6, 1140, 680}},          // a laptop above its task bar
             Case{{1920, 24, 1280, 1000}, {1986, 166, 1140, 680}},  // a second screen, a top bar
         }) {
        const QRect fitted = fittedGeometry({1140, 680}, frame, c.available);
        EXPECT_EQ(fitted, c.expected) << c.available.width() << "x" << c.available.height();
        EXPECT_TRUE(c.available.contains(QRect(fitted.topLeft(), fitted.size() + frame)));
    }
}

// Closed and opened again, the window is as it was left: its size (fitted to the screen
// as at its first opening), the tab shown, and the split between the sheet and the analysis.
TEST_F(Design, the_window_opens_again_as_it_was_left) {
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    const QSize left = (window->size() - QSize(60, 40)).expandedTo(window->minimumSizeHint());
    window->resize(left);
    auto* tabs = find<QTabWidget>("plots", window);
    const int last = tabs->count() - 1;
    tabs->setCurrentIndex(last);
    auto* splitter = window->findChild<QSplitter*>();
    ASSERT_NE(splitter, nullptr);
    const QList<int> before = splitter->sizes();
    splitter->setSizes({before[0] + 40, before[1] - 40});
    const QList<int> split = splitter->sizes();
    ASSERT_NE(split, before);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(designWindow().isNull());

    DesignWindow* again = open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->size(), left);
    EXPECT_EQ(find<QTabWidget>("plots", again)->currentIndex(), last);
    EXPECT_EQ(again->findChild<QSplitter*>()->sizes(), split);
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
    // nine, the average gain, the sweep's ends, the two bandwidths, the trim and which driven
    // length to cut
    ASSERT_EQ(lines.size(), 15) << figures(window).toStdString();
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
    ASSERT_EQ(lines.size(), 17) << figures(window).toStdString();
    for (const QString& line : lines.mid(9)) {
        EXPECT_TRUE(matched.out.contains(line + '\n')) << line.toStdString();
    }

    // A driven element bonded to the boom is continuous: a gamma match, as zeva-sheet gives it,
    // and no hairpin. The boom is thicker than the elements that pass through it.
    boom->setText(QStringLiteral("50.8"));
    QTest::keyClick(boom, Qt::Key_Return);
    find<QCheckBox>("drivenThroughBoom", window)->setChecked(true);
    find<QComboBox>("match", window)->setCurrentIndex(4);
    finish(window);
    const Outcome gamma =
        zevaSheet({"-e", "3", "-f", "14.2", "-d", "1in", "--mounting", "bonded", "--boom-diameter",
                   "50.8", "--driven-through-boom", "--analyse", "--match", "gamma"});
    ASSERT_EQ(gamma.status, 0);
    const QString results = find<QLabel>("buildResults", window)->text();
    EXPECT_TRUE(results.contains(QString::fromUtf8("伽马匹配"))) << results.toStdString();
    for (const QString& line : results.split('\n')) {
        EXPECT_TRUE(gamma.out.contains(line + '\n')) << line.toStdString();
    }
    // The Smith chart draws the line's view through the gamma (purple) beside the antenna's.
    auto* smith = find<QWidget>("smithChart", window);
    smith->resize(600, 420);
    const QImage chart = smith->grab().toImage();
    int purple = 0;
    for (int y = 0; y < chart.height(); ++y) {
        for (int x = 0; x < chart.width(); ++x)
            purple += chart.pixelColor(x, y) == QColor(150, 0, 150);
    }
    EXPECT_GT(purple, 50);
    // A measurement through the gamma is read as zeva-sheet reads it: the strap's move and the
    // capacitor's.
    const QString example = QStringLiteral(ZEVA_EXAMPLES_DIR "/measured-3-elements-14.2-mhz.s1p");
    setOpenFileChooser([&](QWidget*, const QString&, const QString&) { return example; });
    QTest::mouseClick(find<QPushButton>("importMeasurement", window), Qt::LeftButton);
    finish(window);
    const Outcome measured = zevaSheet(
        {"-e", "3", "-f", "14.2", "-d", "1in", "--mounting", "bonded", "--boom-diameter", "50.8",
         "--driven-through-boom", "--analyse", "--match", "gamma", "--measured", example});
    ASSERT_EQ(measured.status, 0);
    const QString shown = figures(window);
    for (const char* label : {"测量：", "调整匹配："}) {
        const QRegularExpression line(QString::fromUtf8(label) + QStringLiteral("[^\\n]*"));
        const QString inWindow = line.match(shown).captured();
        ASSERT_FALSE(inWindow.isEmpty()) << label << "\n" << shown.toStdString();
        EXPECT_TRUE(measured.out.contains(inWindow + '\n')) << inWindow.toStdString();
    }
    // The optimiser judges a direct feed, a hairpin or a coaxial transformer, not a gamma: it
    // says so rather than search for the wrong antenna.
    auto* optimise = find<QPushButton>("startOptimise", window);
    QTest::mouseClick(optimise, Qt::LeftButton);
    EXPECT_TRUE(optimise->isEnabled());
    EXPECT_TRUE(
        find<QLabel>("optimiseStatus", window)->text().contains(QString::fromUtf8("伽马或 T")));
    find<QComboBox>("match", window)->setCurrentIndex(1);
    EXPECT_TRUE(find<QLabel>("buildNote", window)->text().contains(QString::fromUtf8("伽马或 T")));
}

// Telescoping tubes typed into the build box give zeva-sheet's cut list in the Tubes tab; a
// schedule that does not read is named and left as typed.
TEST_F(Design, the_tubes_tab_gives_zeva_sheets_cut_list) {
    qputenv("PATH", "/nonexistent");
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    const QString schedule = QStringLiteral("1.25in:36in,1.125in:48in,1in:48in,0.875in");
    auto* tubes = find<QLineEdit>("tubes", window);
    tubes->setText(schedule);
    QTest::keyClick(tubes, Qt::Key_Return);
    const Outcome sheet = zevaSheet(
        {"-e", "3", "-f", "14.2", "-d", "1in", "--sections", schedule, "--cut-list-csv", "-"});
    ASSERT_EQ(sheet.status, 0);
    const std::vector<QStringList> rows = csvRows(sheet.out);
    ASSERT_EQ(rows.size(), 13u);  // headings, three elements of four tubes
    QAbstractItemModel* model = find<QTableView>("tubesTable", window)->model();
    ASSERT_GE(model->rowCount(), 12);
    for (int row = 0; row < 12; ++row) {
        // The length to cut, in centimetres, as the CSV gives it in millimetres.
        const double cut = rows[static_cast<std::size_t>(row) + 1][5].toDouble() / 10;
        EXPECT_NEAR(model->index(row, 5).data().toString().toDouble(), cut, 0.006) << row;
    }

    // The workshop drawing draws every tube: blue dimensions and grey-blue tubes.
    auto* drawing = find<QWidget>("workshopDrawing", window);
    drawing->resize(900, 500);
    const QImage image = drawing->grab().toImage();
    int tube = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) tube += image.pixelColor(x, y) == QColor(0xcfd8dc);
    }
    EXPECT_GT(tube, 200);

    tubes->setText(QStringLiteral("1.25in:36in,abc"));
    QTest::keyClick(tubes, Qt::Key_Return);
    EXPECT_TRUE(find<QLabel>("buildNote", window)->text().contains(QString::fromUtf8("管材")));
    EXPECT_EQ(tubes->text(), "1.25in:36in,abc");
    tubes->clear();  // kept between runs: the other tests want solid elements
    QTest::keyClick(tubes, Qt::Key_Return);
    EXPECT_TRUE(find<QLabel>("buildNote", window)->text().isEmpty());
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
    auto* note = find<QLabel>("studiesNote", window);
    EXPECT_TRUE(note->text().contains(QStringLiteral("ten")));
    EXPECT_TRUE(figures(window).contains(QStringLiteral("仰角（最强辐射方向）：")));
    height->setText(QStringLiteral("12"));
    QTest::keyClick(height, Qt::Key_Return);
    EXPECT_TRUE(note->text().isEmpty());
    finish(window);

    // A sweep that does not read is named beside it and stays named; nothing runs on another.
    auto* sweep = find<QLineEdit>("sweepRange", window);
    sweep->setText(QStringLiteral("xyz"));
    QTest::keyClick(sweep, Qt::Key_Return);
    EXPECT_FALSE(window->analysing());
    QTest::qWait(600);
    EXPECT_TRUE(note->text().contains(QStringLiteral("xyz"))) << note->text().toStdString();
    EXPECT_EQ(sweep->text(), "xyz");
    sweep->setText(QStringLiteral("3"));
    QTest::keyClick(sweep, Qt::Key_Return);
    EXPECT_TRUE(note->text().isEmpty());
    EXPECT_TRUE(window->analysing());
    finish(window);

    // A new design waits for the field too, and runs once the fields read, whichever changes.
    sweep->setText(QStringLiteral("xyz"));
    calculate("Option2", 14, "14.2");
    EXPECT_FALSE(window->analysing());
    EXPECT_TRUE(figures(window).startsWith(QString::fromUtf8("分析要等")))
        << figures(window).toStdString();
    sweep->setText(QStringLiteral("2"));
    find<QCheckBox>("overGround", window)->setChecked(false);
    find<QCheckBox>("overGround", window)->setChecked(true);
    EXPECT_TRUE(note->text().isEmpty());
    EXPECT_TRUE(window->analysing());
    finish(window);
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

    // Another design: the measurement of this one goes, and says so.
    errors.clear();
    calculate("Option2", 14, "14.2");
    EXPECT_TRUE(find<QLabel>("analysisStatus", window)->text().contains(QString::fromUtf8("测量")));
    finish(window);
    EXPECT_FALSE(figures(window).contains(QString::fromUtf8("测量：")));
    EXPECT_FALSE(figures(window).contains(QString::fromUtf8("修剪建议：")));
}

// Asked for English, the design window and the converter say everything in English, and the
// figures are zeva-sheet's --lang en; the main window keeps its Chinese captions.
TEST_F(Design, in_english_every_text_of_the_design_window_and_the_converter_is_english) {
    setWindowLanguage(Language::English);
    struct Restore {
        ~Restore() { setWindowLanguage(Language::Chinese); }
    } restore;
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    finish(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Cut sheet and analysis"));
    const Outcome sheet =
        zevaSheet({"-e", "3", "-f", "14.2", "-d", "1in", "--analyse", "--lang", "en"});
    ASSERT_EQ(sheet.status, 0);
    for (const QString& line : figures(window).split('\n')) {
        EXPECT_TRUE(sheet.out.contains(line + '\n')) << line.toStdString();
    }
    EXPECT_EQ(table(window)->headerData(1, Qt::Horizontal).toString(), QStringLiteral("length ft"));

    // No Chinese left in any text the window shows.
    const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    const auto noChinese = [&](QWidget* top) {
        for (QWidget* widget : top->findChildren<QWidget*>()) {
            QStringList texts{widget->toolTip()};
            if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
            if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) texts << edit->toPlainText();
            if (auto* box = qobject_cast<QComboBox*>(widget)) {
                for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
            }
            if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
                for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
            }
            if (auto* group = qobject_cast<QGroupBox*>(widget)) texts << group->title();
            for (const QString& text : texts) {
                EXPECT_FALSE(chinese.match(text).hasMatch())
                    << widget->objectName().toStdString() << ": " << text.toStdString();
            }
        }
    };
    noChinese(window);

    click("Command5");
    QWidget* converter = converterWindow().data();
    ASSERT_NE(converter, nullptr);
    EXPECT_EQ(converter->windowTitle(), QStringLiteral("Calculate"));
    EXPECT_EQ(find<QLineEdit>("Text7", converter)->text(), QStringLiteral("nearest fraction"));
    noChinese(converter);
    delete converter;
    // The main window's captions stay as they are measured; its messages follow the language.
    EXPECT_EQ(find<QAbstractButton>("Command6", form.get())->text(), QStringLiteral("下料与分析"));
    type("Text3", QStringLiteral("0"));
    click("Command1");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_FALSE(chinese.match(errors[0]).hasMatch()) << errors[0].toStdString();
    errors.clear();
}

// The optimiser's tab: a search that leaves the event loop free, its before/after table, the
// optimised antenna put into the sheet and taken back, and a stop that keeps the best so far.
TEST_F(Design, the_optimiser_tab_searches_in_the_background_and_its_design_can_be_used) {
    calculate("Option1", 14, "14.2");
    DesignWindow* window = open();
    ASSERT_NE(window, nullptr);
    finish(window);
    auto* tabs = find<QTabWidget>("plots", window);
    tabs->setCurrentWidget(find<QWidget>("optimiseScroll", window));
    find<QComboBox>("optimiseAim", window)->setCurrentIndex(1);  // the best F/B
    // The search is stopped once its best so far has an F/B clearly above the start's 17.6 dB
    // (an ordinary build on an idle machine is there within two seconds; the cap, far off, is
    // for a machine that never gets there): the best so far is then analysed and offered.
    find<QSpinBox>("optimiseSeconds", window)->setValue(120);
    auto* start = find<QPushButton>("startOptimise", window);
    auto* stop = find<QPushButton>("stopOptimise", window);
    auto* use = find<QPushButton>("useOptimised", window);
    auto* original = find<QPushButton>("useOriginal", window);
    auto* status = find<QLabel>("optimiseStatus", window);
    EXPECT_FALSE(use->isEnabled());
    EXPECT_FALSE(original->isEnabled());

    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(stop->isEnabled());
    const QRegularExpression bestFb(QString::fromUtf8("前后比 ([0-9.]+) dB"));
    bool stopped = false;
    // The event loop keeps turning while the search runs, as in finish().
    const qint64 longest = longestPauseWhile(
        [&] {
            const QRegularExpressionMatch best = bestFb.match(status->text());
            if (!stopped && best.hasMatch() && best.captured(1).toDouble() >= 19.0) {
                QTest::mouseClick(stop, Qt::LeftButton);
                stopped = true;
            }
            return !start->isEnabled();
        },
        240000);
    ASSERT_TRUE(start->isEnabled());
    EXPECT_LT(longest, 200);
    // The search was drawn as it ran: the best's SWR in red and its pattern in blue.
    const QImage live = find<QWidget>("optimiseLive", window)->grab().toImage();
    int red = 0, blue = 0;
    for (int y = 0; y < live.height(); ++y) {
        for (int x = 0; x < live.width(); ++x) {
            const QColor c = live.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
            blue += c.blue() > 150 && c.red() < 80 && c.green() < 80;
        }
    }
    EXPECT_GT(red, 20);
    EXPECT_GT(blue, 100);
    const QString said = find<QLabel>("optimiseStatus", window)->text();
    EXPECT_TRUE(said.contains(QStringLiteral("fb,fb>=20,swr<=1.5"))) << said.toStdString();
    auto* results = find<QTableWidget>("optimiseTable", window);
    ASSERT_EQ(results->rowCount(), 6);
    const double fbBefore = results->item(1, 1)->text().toDouble();
    const double fbAfter = results->item(1, 2)->text().toDouble();
    EXPECT_GT(fbAfter, fbBefore);
    ASSERT_TRUE(use->isEnabled());

    // The report gives the search a page of its own, with the table's figures.
    QTemporaryDir folder;
    const QString report = folder.filePath(QStringLiteral("o.pdf"));
    ASSERT_TRUE(window->exportTo(Export::Pdf, report));
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"),
                 {QStringLiteral("-layout"), report, QStringLiteral("-")});
    ASSERT_TRUE(reader.waitForFinished(20000)) << "pdftotext (poppler-utils) is needed";
    const QStringList pages = QString::fromUtf8(reader.readAllStandardOutput()).split(QChar('\f'));
    const auto page = std::find_if(pages.begin(), pages.end(), [](const QString& words) {
        return words.trimmed().startsWith(QString::fromUtf8("优化"));
    });
    ASSERT_NE(page, pages.end());
    for (int row = 0; row < results->rowCount(); ++row) {
        EXPECT_TRUE(page->contains(results->item(row, 0)->text()));
        EXPECT_TRUE(page->contains(results->item(row, 2)->text())) << page->toStdString();
    }

    std::vector<double> before;
    for (int row = 0; row < 3; ++row)
        before.push_back(table(window)->index(row, 1).data().toDouble());
    QTest::mouseClick(use, Qt::LeftButton);
    double moved = 0;
    for (int row = 0; row < 3; ++row) {
        moved = std::max(moved, std::abs(table(window)->index(row, 1).data().toDouble() -
                                         before[static_cast<std::size_t>(row)]));
    }
    EXPECT_GT(moved, 0.001);  // feet: the optimised lengths, not the design's
    EXPECT_TRUE(find<QLabel>("designLabel", window)->text().contains(QString::fromUtf8("优化后")));
    EXPECT_TRUE(original->isEnabled());
    finish(window);  // the trim and the matches of the optimised antenna
    EXPECT_FALSE(figures(window).isEmpty());

    QTest::mouseClick(original, Qt::LeftButton);
    EXPECT_EQ(table(window)->index(0, 1).data().toString(), "34.047");
    EXPECT_FALSE(original->isEnabled());
    finish(window);

    // Stopped at once: the search ends with the best so far (here, as likely as not, the start
    // itself) and says so.
    QTest::mouseClick(start, Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>("stopOptimise", window), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 60000);
    EXPECT_TRUE(
        find<QLabel>("optimiseStatus", window)->text().contains(QString::fromUtf8("已停止")));

    // A new design drops the result.
    calculate("Option1", 14, "21.2");
    EXPECT_EQ(results->rowCount(), 0);
    EXPECT_FALSE(use->isEnabled());
    finish(window);
}

}  // namespace
}  // namespace zeva::ui
