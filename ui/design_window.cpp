// SPDX-License-Identifier: MIT
#include "ui/design_window.h"
#include "ui/drawing_paint.h"
#include "ui/language.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

#include "sheet/render.h"
#include "sheet/studies.h"
#include "ui/build_box.h"
#include "ui/design_exports.h"
#include "ui/errors.h"
#include "ui/optimise_box.h"
#include "ui/plots.h"
#include "ui/report.h"
#include "ui/sheet_table.h"
#include "ui/studies_box.h"
#include "ui/study_plots.h"

namespace zeva::ui {

using analysis::Language;

// The analysis side keeps at least this width when the sheet's side grows.
constexpr int kLeastAnalysisWidth = 380;

DesignWindow::DesignWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DesignWindow"));
    setWindowTitle(uiText("Cut sheet and analysis"));
    // With its frame the window fits a 1366x768 laptop's screen, and it stays usable down to
    // 1024x600: the left side scrolls, the plots share tabs.
    resize(1140, 680);

    design_ = wrappingLabel(this, "designLabel");

    // Left: the cut sheet and the boom length.
    auto* sheetSide = new QWidget;
    auto* sheetLayout = new QVBoxLayout(sheetSide);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    model_ = new CutSheetModel(this);
    table_ = new SheetTable;
    table_->setObjectName(QStringLiteral("sheetTable"));
    table_->setModel(model_);
    table_->setAlternatingRowColors(true);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    boom_ = wrappingLabel(this, "boomLabel");
    sheetLayout->addWidget(table_);
    sheetLayout->addWidget(boom_);
    build_ = new BuildBox;
    build_->constructionChanged = [this] { session_->rebuildSheet(); };
    build_->matchChanged = [this] { session_->startTuning(); };
    sheetLayout->addWidget(build_);
    studies_ = new StudiesBox;
    sheetLayout->addWidget(studies_);

    // Right: the analysis' progress, figures and plots.
    auto* analysisSide = new QWidget;
    auto* analysisLayout = new QVBoxLayout(analysisSide);
    analysisLayout->setContentsMargins(0, 0, 0, 0);
    auto* progressRow = new QHBoxLayout;
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("analysisProgress"));
    progress_->setRange(0, 0);  // busy: a round's length is not known beforehand
    progress_->setVisible(false);
    status_ = wrappingLabel(this, "analysisStatus");
    cancel_ = new QPushButton(uiText("Cancel"));
    cancel_->setObjectName(QStringLiteral("cancelAnalysis"));
    cancel_->setEnabled(false);
    progressRow->addWidget(status_, 1);
    progressRow->addWidget(progress_);
    progressRow->addWidget(cancel_);
    figures_ = new QPlainTextEdit;
    figures_->setObjectName(QStringLiteral("analysisFigures"));
    figures_->setReadOnly(true);
    figures_->setTabChangesFocus(true);
    figures_->setMinimumHeight(fontMetrics().lineSpacing() * 9);
    sweepPlot_ = new PlotWidget(paintSweep);
    sweepPlot_->setObjectName(QStringLiteral("sweepPlot"));
    patternPlot_ = new PlotWidget(paintPatterns);
    patternPlot_->setObjectName(QStringLiteral("patternPlot"));
    smithChart_ = new PlotWidget(paintSmith);
    smithChart_->setObjectName(QStringLiteral("smithChart"));
    elevationPlot_ =
        new StudyPlot(uiText("Tick “Over the ground” for the elevation pattern over the ground"));
    elevationPlot_->setObjectName(QStringLiteral("elevationPlot"));
    histogram_ =
        new StudyPlot(uiText("Click “Tolerance” for the spread of the SWR within the tolerance"));
    histogram_->setObjectName(QStringLiteral("toleranceHistogram"));
    plots_ = new QTabWidget;
    plots_->setObjectName(QStringLiteral("plots"));
    plots_->addTab(sweepPlot_, uiText("SWR and gain"));
    plots_->addTab(patternPlot_, uiText("Patterns"));
    plots_->addTab(smithChart_, uiText("Smith chart"));
    plots_->addTab(elevationPlot_, uiText("Elevation"));
    plots_->addTab(histogram_, uiText("Tolerance"));
    // A table of rows of text that copies into a spreadsheet.
    const auto textTable = [this](QStandardItemModel* model, const char* name) {
        auto* table = new SheetTable;
        table->setObjectName(QLatin1String(name));
        table->setModel(model);
        table->setSelectionMode(QAbstractItemView::ExtendedSelection);
        table->verticalHeader()->setVisible(false);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        return table;
    };
    sweepModel_ = new QStandardItemModel(this);
    sweepTable_ = textTable(sweepModel_, "sweepTable");
    plots_->addTab(sweepTable_, uiText("Sweep table"));
    optimise_ = new OptimiseBox;
    // Its controls, table and live plot scroll within the tab where the window is short, so
    // that they never hold the window above a small screen's height.
    auto* optimiseScroll = new QScrollArea;
    optimiseScroll->setObjectName(QStringLiteral("optimiseScroll"));
    optimiseScroll->setWidget(optimise_);
    optimiseScroll->setWidgetResizable(true);
    optimiseScroll->setFrameShape(QFrame::NoFrame);
    optimiseScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    plots_->addTab(optimiseScroll, uiText("Optimise"));
    // The cut list and the tubes to buy, with a tube schedule in the build box.
    tubesModel_ = new QStandardItemModel(this);
    tubesTable_ = textTable(tubesModel_, "tubesTable");
    tubesTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tubesTable_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    plots_->addTab(tubesTable_, uiText("Tubes"));
    drawing_ = new StudyPlot(uiText("The workshop drawing appears with the cut sheet"));
    drawing_->setObjectName(QStringLiteral("workshopDrawing"));
    plots_->addTab(drawing_, uiText("Drawing"));
    analysisLayout->addLayout(progressRow);
    analysisLayout->addWidget(figures_, 3);
    analysisLayout->addWidget(plots_, 5);

    splitter_ = new QSplitter(Qt::Horizontal);
    QSplitter* splitter = splitter_;
    auto* sheetScroll = new QScrollArea;
    sheetScroll->setObjectName(QStringLiteral("sheetSide"));
    sheetScroll->setWidget(sheetSide);
    sheetScroll->setWidgetResizable(true);
    sheetScroll->setFrameShape(QFrame::NoFrame);
    table_->setMinimumHeight(fontMetrics().height() * 8);
    splitter->addWidget(sheetScroll);
    splitter->addWidget(analysisSide);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({520, 600});           // the sheet's eight columns whole at the first size
    splitter->setChildrenCollapsible(false);  // neither side can be lost from view

    // Bottom: the exports and the printer.
    auto* commands = new QHBoxLayout;
    for (const ExportCommand& command : kExports) {
        auto* button = new QPushButton(uiText(command.caption));
        button->setObjectName(QLatin1String(command.name));
        connect(button, &QPushButton::clicked, this,
                [this, kind = command.kind] { chooseAndExport(kind); });
        commands->addWidget(button);
        exports_.emplace_back(command.kind, button);
    }
    print_ = new QPushButton(uiText("Print"));
    print_->setObjectName(QStringLiteral("printReport"));
    connect(print_, &QPushButton::clicked, this, &DesignWindow::printReport);
    commands->addWidget(print_);
    reanalyse_ = new QPushButton(uiText("&Reanalyse"));
    reanalyse_->setObjectName(QStringLiteral("reanalyse"));
    reanalyse_->setToolTip(
        uiText("The whole analysis again, after a cancel, a failure or a change of the settings"));
    connect(reanalyse_, &QPushButton::clicked, this, [this] { session_->reanalyse(); });
    commands->addWidget(reanalyse_);
    import_ = new QPushButton(uiText("Import .s1p…"));
    import_->setObjectName(QStringLiteral("importMeasurement"));
    import_->setToolTip(
        uiText("Reads a one-port Touchstone file (.s1p) that a vector network analyser measured at "
               "the feed"));
    connect(import_, &QPushButton::clicked, this, &DesignWindow::importMeasurement);
    commands->addWidget(import_);
    commands->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(design_);
    layout->addWidget(splitter, 1);
    layout->addLayout(commands);

    connect(cancel_, &QPushButton::clicked, this, [this] { session_->cancelByUser(); });
    studies_->sweepChanged = [this] { session_->sweepChanged(); };
    studies_->placementChanged = [this] { session_->placementChanged(); };
    studies_->toleranceAsked = [this] {
        if (session_->startTolerance()) plots_->setCurrentWidget(histogram_);
    };

    DesignSession::Controls controls{
        [this](sheet::DesignRequest& request) { return build_->read(request); },
        [this] { return studies_->read(); }, [this] { return build_->match(); }};
    DesignSession::Events events;
    events.sheetChanged = [this] { showSheet(); };
    events.analysisChanged = [this] { showAnalysis(); };
    events.figuresChanged = [this] { showFigures(); };
    events.studiesChanged = [this] { showStudies(); };
    events.commandsChanged = [this] { updateCommands(); };
    events.status = [this](const QString& text) { status_->setText(text); };
    events.note = [this](const QString& note) { showNote(note); };
    events.buildNote = [this](const QString& note) { build_->setNote(note); };
    events.studiesNote = [this](const QString& note) { studies_->setNote(note); };
    events.running = [this](bool running) { showRunning(running); };
    events.studyFailed = [this](DesignSession::Stage stage, const QString& message) {
        showStudyFailure(stage, message);
    };
    session_ = std::make_unique<DesignSession>(std::move(controls), std::move(events));
    optimise_->start = [this]() -> std::variant<OptimiseBox::Start, QString> {
        if (session_->sheet() == nullptr || session_->analysis() == nullptr) {
            return uiText("The optimiser starts from the analysed design: wait for the analysis.");
        }
        const MatchChoice match = build_->match();
        if (match == MatchChoice::Gamma || match == MatchChoice::Tee200 ||
            match == MatchChoice::Tee50) {
            return uiText(
                "The optimiser judges the SWR straight into the line, through a hairpin or "
                "through a coaxial transformer, not through a gamma or T match: optimise with no "
                "match or one of those, then match the optimised antenna.");
        }
        const auto studies = studies_->read();
        if (const auto* wrong = std::get_if<QString>(&studies)) return *wrong;
        const analysis::SweepRange& sweep = std::get<StudyRequest>(studies).sweep;
        OptimiseBox::Start start{sheet::antennaOf(*session_->sheet()), *session_->analysis(), {}};
        start.band = sweep.given() ? analysis::Band{sweep.low, sweep.high}
                                   : analysis::defaultBand(start.antenna.frequency);
        start.feed = feedOf(match);
        return start;
    };
    optimise_->use = [this](const analysis::Antenna& antenna, const analysis::Analysis& a) {
        session_->useOptimised(antenna, a);
    };
    optimise_->original = [this] { session_->useOriginal(); };
    design_->setText(session_->designText());
    updateCommands();
}

void DesignWindow::restoreKeptLayout() {
    // The tab and the split between the sheet and the analysis as they were left; the split
    // once the window has its size, which would otherwise share it out anew.
    const QSettings kept = windowSettings();
    const int tab = kept.value(QStringLiteral("window/tab"), 0).toInt();
    if (tab >= 0 && tab < plots_->count()) plots_->setCurrentIndex(tab);
    const QList<int> before = splitter_->sizes();
    splitter_->restoreState(kept.value(QStringLiteral("window/splitter")).toByteArray());
    const QList<int> sizes = splitter_->sizes();
    if (sizes.size() != 2 || sizes[0] <= 0 || sizes[1] <= 0) splitter_->setSizes(before);
    fitSheetSide();
}

DesignWindow::~DesignWindow() { cancelAnalysis(); }

void DesignWindow::showDesign(const sheet::Design& design) {
    const int serial = session_->designSerial();
    session_->showDesign(design);
    // A search of the design before is of no use to this one.
    if (session_->designSerial() != serial) optimise_->designChanged();
}

void DesignWindow::cancelAnalysis() {
    optimise_->cancel();
    session_->cancel();
}

bool DesignWindow::analysing() const { return session_->analysing(); }

// The sheet, or the text that stands for it, with the boom's length and note below.
void DesignWindow::showSheet() {
    const sheet::CutSheet* sheet = session_->sheet();
    optimise_->setUsingOptimised(session_->usingOptimised());
    design_->setText(session_->designText());
    model_->setSheet(sheet);
    showTubes(sheet);
    if (sheet != nullptr) {
        drawing_->setPainter(
            [drawing = sheet::workshopDrawing(*sheet)](QPainter& painter, const QRectF& area) {
                paintDrawing(painter, area, drawing);
            });
    } else {
        drawing_->setPainter({});
    }
    if (sheet == nullptr) {
        boom_->clear();
        return;
    }
    fitSheetSide();
    QString boom = boomLengthText(*sheet);
    if (const std::string note = sheet::boomNote(*sheet); !note.empty()) {
        boom += '\n' + QString::fromStdString(note);
    }
    boom_->setText(boom);
}

// The cut list, a blank row, then the tubes to buy; a hint without a schedule.
void DesignWindow::showTubes(const sheet::CutSheet* sheet) {
    if (sheet == nullptr || !sheet->tubes) {
        tabulate(*tubesModel_,
                 {{uiText("Give the tubes in the build box for the cut list of every element.")
                       .toStdString()}});
        return;
    }
    auto rows = sheet::cutListRows(*sheet->tubes, windowLanguage());
    const auto stock = sheet::stockRows(*sheet->tubes, windowLanguage());
    rows.emplace_back();
    rows.insert(rows.end(), stock.begin(), stock.end());
    tabulate(*tubesModel_, rows);
}

// The plots of the analysis and the trim, and the sweep as a table that copies into a
// spreadsheet; with no analysis, empty plots and no figures.
void DesignWindow::showAnalysis() {
    const analysis::Analysis* analysis = session_->analysis();
    sweepPlot_->setAnalysis(analysis, session_->tuning());
    // The measurement goes with its design: the plot never keeps one the session dropped.
    sweepPlot_->setMeasurement(session_->measurement());
    smithChart_->setAnalysis(analysis, session_->tuning());
    smithChart_->setMeasurement(session_->measurement());
    patternPlot_->setAnalysis(analysis);
    if (analysis == nullptr) {
        sweepModel_->clear();
        figures_->clear();
        tabulated_ = nullptr;
        return;
    }
    if (tabulated_ == analysis) return;
    tabulated_ = analysis;
    tabulate(*sweepModel_, sheet::sweepRows(*analysis, windowLanguage()));
}

void DesignWindow::showStudyFailure(DesignSession::Stage stage, const QString& message) {
    if (stage == DesignSession::Stage::Ground) elevationPlot_->setHint(message);
    if (stage == DesignSession::Stage::Tolerance) histogram_->setHint(message);
}

// The studies' plots, or their hints while they are not known.
void DesignWindow::showStudies() {
    if (session_->overGround() != nullptr) {
        elevationPlot_->setPainter(
            [over = *session_->overGround()](QPainter& painter, const QRectF& area) {
                paintElevation(painter, area, over);
            });
    } else {
        elevationPlot_->setPainter({});
    }
    if (session_->tolerance() != nullptr) {
        histogram_->setPainter(
            [tolerance = *session_->tolerance()](QPainter& painter, const QRectF& area) {
                paintSwrHistogram(painter, area, tolerance);
            });
    } else {
        histogram_->setPainter({});
    }
}

void DesignWindow::importMeasurement() {
    const QString title = uiText("Import a measurement");
    const QString filter = uiText("One-port Touchstone files (*.s1p *.S1P);;All files (*)");
    const QString path = openChooser() ? openChooser()(this, title, filter)
                                       : askForFile(this, title, filter, {}, false);
    if (path.isEmpty()) return;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return reportError(this, uiText("cannot read the measurement: ") + path);
    }
    if (file.size() > static_cast<qint64>(analysis::kMaxTouchstoneBytes)) {
        return reportError(this,
                           uiText("%1: larger than %2 MiB, too large for a measurement")
                               .arg(path, QString::number(analysis::kMaxTouchstoneBytes >> 20)));
    }
    const QByteArray text = file.readAll();
    auto read = analysis::readTouchstone(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
        windowLanguage());
    if (const auto* failure = std::get_if<analysis::Failure>(&read)) {
        return reportError(this,
                           uiText("%1: %2").arg(path, QString::fromStdString(failure->message)));
    }
    session_->setMeasurement(std::move(std::get<analysis::Measurement>(read)));
    sweepPlot_->setMeasurement(session_->measurement());
    smithChart_->setMeasurement(session_->measurement());
    plots_->setCurrentWidget(sweepPlot_);
}

// One figure a line: the analysis', then the trim's and the matches'.
void DesignWindow::showFigures() {
    if (session_->analysis() == nullptr) {
        build_->setResults(
            uiText("The resonant length and the match's dimensions to cut appear here once the "
                   "analysis is done."));
        return;
    }
    if (session_->tuning() != nullptr) {
        QStringList results;
        for (const std::string& line : sheet::tuningFigureLines(
                 *session_->analysis(), *session_->tuning(), session_->sheet(), windowLanguage())) {
            results << QString::fromStdString(line);
        }
        build_->setResults(results.join('\n'));
    } else {
        build_->setResults(uiText("Tuning the driven element…"));
    }
    QStringList lines;
    for (const std::string& line : sheet::figureLines(*session_->analysis(), session_->tuning(),
                                                      session_->sheet(), windowLanguage())) {
        lines << QString::fromStdString(line);
    }
    const analysis::Tuning* tuning = session_->tuning();
    lines << studyLines(session_->overGround(), session_->tolerance(), session_->advice(),
                        session_->rodAdvice(),
                        tuning != nullptr && tuning->rods && tuning->rods->shape.balanced);
    figures_->setPlainText(lines.join('\n'));
}

// The busy bar and the cancel command, while the analysis runs.
void DesignWindow::showRunning(bool running) {
    progress_->setVisible(running);
    cancel_->setEnabled(running);
}

void DesignWindow::showNote(const QString& note) {
    status_->setText(note);
    if (!note.isEmpty()) figures_->setPlainText(note);
}

void DesignWindow::updateCommands() {
    const bool sheet = session_->sheet() != nullptr;
    const bool analysed = session_->analysis() != nullptr;
    for (const auto& [kind, button] : exports_) {
        const bool needsAnalysis =
            kind == Export::Pattern || kind == Export::FiguresCsv || kind == Export::SweepCsv;
        button->setEnabled(sheet && (!needsAnalysis || analysed));
    }
    print_->setEnabled(sheet);
    // A measurement belongs to a design, and there is nothing to analyse again without one.
    import_->setEnabled(sheet);
    reanalyse_->setEnabled(sheet);
    studies_->setToleranceEnabled(analysed && session_->stage() == DesignSession::Stage::Idle);
}

// The cut columns widen the sheet: its side grows so that the positions stay in view,
// leaving the analysis room for its plots.
void DesignWindow::fitSheetSide() {
    if (session_->sheet() == nullptr) return;
    table_->resizeColumnsToContents();
    // The table's own scroll bar and the side's, which shows on a short screen.
    const int bars = 2 * style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int needed = table_->horizontalHeader()->length() + table_->frameWidth() * 2 + bars + 24;
    const QList<int> sizes = splitter_->sizes();
    const int total = splitter_->width() - splitter_->handleWidth();
    if (sizes.size() == 2 && total > 0 && sizes[0] < needed) {
        const int left = std::max(sizes[0], std::min(needed, total - kLeastAnalysisWidth));
        splitter_->setSizes({left, total - left});
    }
}

void DesignWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitSheetSide();
}

void DesignWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitSheetSide();
}

void DesignWindow::closeEvent(QCloseEvent* event) {
    optimise_->cancel();
    session_->cancel();
    QSettings kept = windowSettings();
    // Maximised, the size to come back to is the one before.
    kept.setValue(QStringLiteral("window/size"), isMaximized() ? normalGeometry().size() : size());
    kept.setValue(QStringLiteral("window/tab"), plots_->currentIndex());
    kept.setValue(QStringLiteral("window/splitter"), splitter_->saveState());
    event->accept();
}

QPointer<DesignWindow>& designWindow() {
    static QPointer<DesignWindow> instance;
    return instance;
}

QRect fittedGeometry(QSize wanted, QSize frame, QRect available) {
    const QSize room = (available.size() - frame).expandedTo(QSize(1, 1));
    const QSize size = wanted.boundedTo(room);
    const QPoint corner =
        available.topLeft() + QPoint((available.width() - size.width() - frame.width()) / 2,
                                     (available.height() - size.height() - frame.height()) / 2);
    return {QPoint(std::max(corner.x(), available.left()), std::max(corner.y(), available.top())),
            size};
}

void showDesignWindow(const std::optional<sheet::Design>& design) {
    QPointer<DesignWindow>& window = designWindow();
    if (window.isNull()) {
        window = new DesignWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (design) window->showDesign(*design);
        // On a small screen (1024×600) the window opens within it, smaller than it asks for,
        // rather than with its buttons off the screen. The frame is not known before the
        // window is shown: room is left for a usual title bar and borders.
        // The size it was closed at, where there is one.
        const QSize kept = windowSettings().value(QStringLiteral("window/size")).toSize();
        const QSize wanted = kept.isValid() && !kept.isEmpty() ? kept : window->size();
        if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
            const QSize frame(2 * 4, 32 + 4);
            const QRect fitted = fittedGeometry(wanted, frame, screen->availableGeometry());
            window->resize(fitted.size().expandedTo(window->minimumSizeHint()));
            window->move(fitted.topLeft());
        }
        window->show();
        window->restoreKeptLayout();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace zeva::ui
