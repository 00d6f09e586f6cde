// SPDX-License-Identifier: MIT
#include "ui/design_window.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
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
#include "ui/analysis_run.h"
#include "ui/build_box.h"
#include "ui/design_exports.h"
#include "ui/errors.h"
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
    setWindowTitle(QStringLiteral("下料与分析"));
    // With its frame the window fits a 1366x768 laptop's screen, and it stays usable down to
    // 1024x600: the left side scrolls, the plots share tabs.
    resize(1140, 680);

    design_ = wrappingLabel(this, "designLabel");
    design_->setText(QStringLiteral("请先在主窗口中输入设计并点击“计算”。"));

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
    build_->constructionChanged = [this] { rebuildSheet(); };
    build_->matchChanged = [this] { startTuning(); };
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
    cancel_ = new QPushButton(QStringLiteral("取消分析"));
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
    elevationPlot_ = new StudyPlot(QStringLiteral("勾选“在地面上方”后显示离地的仰角方向图"));
    elevationPlot_->setObjectName(QStringLiteral("elevationPlot"));
    histogram_ = new StudyPlot(QStringLiteral("点击“公差分析”后显示公差下驻波比的分布"));
    histogram_->setObjectName(QStringLiteral("toleranceHistogram"));
    plots_ = new QTabWidget;
    plots_->setObjectName(QStringLiteral("plots"));
    plots_->addTab(sweepPlot_, QStringLiteral("驻波比与增益"));
    plots_->addTab(patternPlot_, QStringLiteral("方向图"));
    plots_->addTab(elevationPlot_, QStringLiteral("仰角方向图"));
    plots_->addTab(histogram_, QStringLiteral("公差分布"));
    sweepModel_ = new QStandardItemModel(this);
    sweepTable_ = new SheetTable;
    sweepTable_->setObjectName(QStringLiteral("sweepTable"));
    sweepTable_->setModel(sweepModel_);
    sweepTable_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    sweepTable_->verticalHeader()->setVisible(false);
    sweepTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sweepTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    plots_->addTab(sweepTable_, QStringLiteral("扫描数据"));
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
    splitter->setSizes({520, 600});  // the sheet's eight columns whole at the first size

    // Bottom: the exports and the printer.
    auto* commands = new QHBoxLayout;
    for (const ExportCommand& command : kExports) {
        auto* button = new QPushButton(QString::fromUtf8(command.caption));
        button->setObjectName(QLatin1String(command.name));
        connect(button, &QPushButton::clicked, this,
                [this, kind = command.kind] { chooseAndExport(kind); });
        commands->addWidget(button);
        exports_.emplace_back(command.kind, button);
    }
    print_ = new QPushButton(QStringLiteral("打印报告"));
    print_->setObjectName(QStringLiteral("printReport"));
    connect(print_, &QPushButton::clicked, this, &DesignWindow::printReport);
    commands->addWidget(print_);
    reanalyse_ = new QPushButton(QStringLiteral("重新分析(&R)"));
    reanalyse_->setObjectName(QStringLiteral("reanalyse"));
    reanalyse_->setToolTip(QStringLiteral("取消或失败之后，或改了设置之后，重新做整个分析"));
    connect(reanalyse_, &QPushButton::clicked, this, [this] {
        if (!mainDesign_) return;
        const sheet::Design design = *mainDesign_;
        mainDesign_.reset();  // not the same design: it runs again
        showDesign(design);
    });
    commands->addWidget(reanalyse_);
    import_ = new QPushButton(QStringLiteral("导入测量…"));
    import_->setObjectName(QStringLiteral("importMeasurement"));
    import_->setToolTip(
        QStringLiteral("读入矢量网络分析仪在馈电点测得的单端口 Touchstone 文件（.s1p）"));
    connect(import_, &QPushButton::clicked, this, &DesignWindow::importMeasurement);
    commands->addWidget(import_);
    commands->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(design_);
    layout->addWidget(splitter, 1);
    layout->addLayout(commands);

    connect(cancel_, &QPushButton::clicked, this, [this] {
        const bool study = stage_ == Stage::Ground || stage_ == Stage::Tolerance;
        cancelAnalysis();
        // A study's cancel leaves the analysis and its figures standing.
        if (study) {
            status_->setText(QStringLiteral("已取消。"));
        } else {
            setAnalysisNote(QStringLiteral("分析已取消。"));
        }
        updateCommands();
    });
    studies_->sweepChanged = [this] {
        if (!sheet_) return;
        cancelAnalysis();
        analysis_.reset();
        tuning_.reset();
        overGround_.reset();
        tolerance_.reset();
        sweepPlot_->setAnalysis(nullptr);
        patternPlot_->setAnalysis(nullptr);
        showStudies();
        figures_->clear();
        startAnalysis();
    };
    studies_->placementChanged = [this] {
        if (stage_ == Stage::Analysis || stage_ == Stage::Tuning) return;  // the chain follows
        if (stage_ == Stage::Tolerance) {
            groundWaiting_ = true;
            return;
        }
        startGround();
    };
    studies_->toleranceAsked = [this] { startTolerance(); };
    updateCommands();
}

DesignWindow::~DesignWindow() { cancelAnalysis(); }

namespace {

// The design fields the sheet depends on: the same again keeps the analysis.
bool sameDesign(const sheet::Design& a, const sheet::Design& b) {
    return a.mode == b.mode && a.frequency == b.frequency && a.diameterIndex == b.diameterIndex &&
           a.largestDiameter == b.largestDiameter && a.smallestDiameter == b.smallestDiameter;
}

}  // namespace

void DesignWindow::showDesign(const sheet::Design& design) {
    // The same design again, its analysis finished or running: nothing to do.
    if (mainDesign_ && sameDesign(*mainDesign_, design) && (analysis_ || analysing())) return;
    cancelAnalysis();
    analysis_.reset();
    tuning_.reset();
    overGround_.reset();
    tolerance_.reset();
    advice_.reset();
    showStudies();
    mainDesign_ = design;
    sweepPlot_->setAnalysis(nullptr);
    patternPlot_->setAnalysis(nullptr);
    sweepModel_->clear();
    figures_->clear();
    rebuildSheet();
    if (sheet_) startAnalysis();
    updateCommands();
}

// The sheet of the main window's design with the boom correction the controls ask for; a
// wrong control is named below them, and the sheet shows without the correction meanwhile.
void DesignWindow::rebuildSheet() {
    model_->setSheet(nullptr);
    sheet_.reset();
    boom_->clear();
    build_->setNote({});
    if (!mainDesign_) return;
    if (mainDesign_->diameterIndex < 0) {
        design_->setText(
            QStringLiteral("下料与分析需要主窗口中选定的元件数和元件直径：请选择后再点击“计算”。"));
        setAnalysisNote({});
        updateCommands();
        return;
    }
    sheet::DesignRequest request{*mainDesign_, {}, {}};
    const QString wrong = build_->read(request);
    if (!wrong.isEmpty()) {
        build_->setNote(wrong);
        request.construction = {};
    }
    Result<sheet::CutSheet> made = sheet::makeCutSheet(request, Language::Chinese);
    if (!made.ok()) {
        design_->setText(errorMessage(made.error()));
        setAnalysisNote({});
        updateCommands();
        return;
    }
    sheet::CutSheet sheet = made.value();
    if (const auto failure = sheet::applyBoomCorrection(sheet)) {
        build_->setNote(QString::fromStdString(failure->message));
        sheet = made.value();
        sheet.request.construction.mountingGiven = false;
        sheet.request.construction.mounting = analysis::Mounting::Insulators;
    }
    sheet_ = std::move(sheet);
    design_->setText(QString::fromStdString(sheet::designLine(*sheet_)));
    model_->setSheet(&*sheet_);
    fitSheetSide();
    QString boom = boomLengthText(*sheet_);
    if (const std::string note = sheet::boomNote(*sheet_); !note.empty()) {
        boom += '\n' + QString::fromStdString(note);
    }
    boom_->setText(boom);
    showFigures();  // the driven element's lengths to cut follow the mounting too
    updateCommands();
}

void DesignWindow::startAnalysis() {
    setAnalysisNote({});
    const auto studies = studies_->read();
    analysis::SweepRange range;
    if (const auto* request = std::get_if<StudyRequest>(&studies)) {
        range = request->sweep;
    } else {
        build_->setNote(std::get<QString>(studies));
    }
    status_->setText(QStringLiteral("正在分析…"));
    showRunning(true);
    stage_ = Stage::Analysis;
    auto analyser = std::make_unique<analysis::Analyser>(
        sheet::antennaOf(*sheet_), Language::Chinese, QThread::idealThreadCount(), true, range);
    const analysis::Analyser* typed = analyser.get();
    run_ = std::make_unique<AnalysisRun>(
        std::move(analyser),
        [this](int round) {
            status_->setText(QStringLiteral("正在分析：第 %1 轮计算…").arg(round));
        },
        [this, typed](analysis::Stepper&) { analysisDone(typed->result()); });
    run_->start();
}

void DesignWindow::analysisDone(const std::variant<analysis::Analysis, analysis::Failure>& result) {
    showRunning(false);
    stage_ = Stage::Idle;
    if (const auto* failure = std::get_if<analysis::Failure>(&result)) {
        setAnalysisNote(QString::fromStdString(failure->message));
    } else {
        analysis_ = std::get<analysis::Analysis>(result);
        status_->setText(QStringLiteral("分析完成。"));
        showFigures();
        sweepPlot_->setAnalysis(&*analysis_);
        patternPlot_->setAnalysis(&*analysis_);
        // The sweep as a table that copies into a spreadsheet.
        const auto rows = sheet::sweepRows(*analysis_, Language::Chinese);
        sweepModel_->clear();
        QStringList headings;
        for (const std::string& heading : rows.front()) {
            headings << QString::fromStdString(heading);
        }
        sweepModel_->setHorizontalHeaderLabels(headings);
        for (std::size_t r = 1; r < rows.size(); ++r) {
            QList<QStandardItem*> items;
            for (const std::string& cell : rows[r]) {
                auto* item = new QStandardItem(QString::fromStdString(cell));
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                items << item;
            }
            sweepModel_->appendRow(items);
        }
        startTuning();
    }
    updateCommands();
}

// The driven element trimmed, and the matches asked for, at the analysis' segmentation.
void DesignWindow::startTuning() {
    if (!analysis_ || !sheet_) return;
    sheet::DesignRequest request = sheet_->request;
    if (const QString wrong = build_->read(request); !wrong.isEmpty()) {
        build_->setNote(wrong);
        return;
    }
    build_->setNote({});
    tuning_.reset();
    advice_.reset();
    showFigures();
    stage_ = Stage::Tuning;
    launch(std::make_unique<analysis::Tuner>(sheet::antennaOf(*sheet_), *analysis_, request.match,
                                             Language::Chinese, QThread::idealThreadCount()),
           QStringLiteral("正在调整驱动元件…"), &DesignWindow::tuningDone);
}

void DesignWindow::launchRun(std::unique_ptr<analysis::Stepper> stepper, const QString& status,
                             std::function<void(analysis::Stepper&)> done) {
    // This may run inside the finished run's own callback: that run is kept until the next
    // one ends, never destroyed under its caller. A run still going is cancelled.
    if (run_) run_->cancel();
    retired_ = std::move(run_);
    status_->setText(status);
    showRunning(true);
    run_ = std::make_unique<AnalysisRun>(
        std::move(stepper), [](int) {}, std::move(done));
    run_->start();
    updateCommands();
}

void DesignWindow::startGround() {
    groundWaiting_ = false;
    if (!analysis_ || !sheet_) return;
    const auto studies = studies_->read();
    if (const auto* wrong = std::get_if<QString>(&studies)) {
        build_->setNote(*wrong);
        return;
    }
    const auto& placement = std::get<StudyRequest>(studies).placement;
    if (!placement) {
        overGround_.reset();
        showFigures();
        showStudies();
        return;
    }
    if (overGround_ && overGround_->placement == *placement) return;  // already known
    overGround_.reset();
    showStudies();
    stage_ = Stage::Ground;
    launch(std::make_unique<analysis::GroundStudy>(sheet::antennaOf(*sheet_), *analysis_,
                                                   *placement, Language::Chinese),
           QStringLiteral("正在计算离地的天线…"), &DesignWindow::groundDone);
}

void DesignWindow::groundDone(const std::variant<analysis::OverGround, analysis::Failure>& result) {
    showRunning(false);
    stage_ = Stage::Idle;
    if (const auto* failure = std::get_if<analysis::Failure>(&result)) {
        status_->setText(QString::fromStdString(failure->message));
        elevationPlot_->setHint(QString::fromStdString(failure->message));
    } else {
        overGround_ = std::get<analysis::OverGround>(result);
        status_->setText(QStringLiteral("分析完成。"));
    }
    showFigures();
    showStudies();
    updateCommands();
    if (measurement_ && !advice_ && tuning_) startAdvice();
}

void DesignWindow::startTolerance() {
    if (!analysis_ || !sheet_ || stage_ != Stage::Idle) return;
    const auto studies = studies_->read();
    if (const auto* wrong = std::get_if<QString>(&studies)) {
        build_->setNote(*wrong);
        return;
    }
    build_->setNote({});
    tolerance_.reset();
    showStudies();
    stage_ = Stage::Tolerance;
    plots_->setCurrentWidget(histogram_);
    launch(std::make_unique<analysis::ToleranceStudy>(sheet::antennaOf(*sheet_), *analysis_,
                                                      std::get<StudyRequest>(studies).tolerance,
                                                      Language::Chinese),
           QStringLiteral("正在做公差分析…"), &DesignWindow::toleranceDone);
}

void DesignWindow::toleranceDone(
    const std::variant<analysis::Tolerance, analysis::Failure>& result) {
    showRunning(false);
    stage_ = Stage::Idle;
    if (const auto* failure = std::get_if<analysis::Failure>(&result)) {
        status_->setText(QString::fromStdString(failure->message));
        histogram_->setHint(QString::fromStdString(failure->message));
    } else {
        tolerance_ = std::get<analysis::Tolerance>(result);
        status_->setText(QStringLiteral("分析完成。"));
    }
    showFigures();
    showStudies();
    updateCommands();
    if (groundWaiting_) continueStudies();
}

// The studies' plots, or their hints while they are not known.
void DesignWindow::showStudies() {
    if (overGround_) {
        elevationPlot_->setPainter([over = *overGround_](QPainter& painter, const QRectF& area) {
            paintElevation(painter, area, over);
        });
    } else {
        elevationPlot_->setPainter({});
    }
    if (tolerance_) {
        histogram_->setPainter([tolerance = *tolerance_](QPainter& painter, const QRectF& area) {
            paintSwrHistogram(painter, area, tolerance);
        });
    } else {
        histogram_->setPainter({});
    }
}

void DesignWindow::tuningDone(const std::variant<analysis::Tuning, analysis::Failure>& result) {
    showRunning(false);
    stage_ = Stage::Idle;
    if (const auto* failure = std::get_if<analysis::Failure>(&result)) {
        status_->setText(QString::fromStdString(failure->message));
    } else {
        tuning_ = std::get<analysis::Tuning>(result);
        status_->setText(QStringLiteral("分析完成。"));
    }
    showFigures();
    sweepPlot_->setAnalysis(&*analysis_, tuning_ ? &*tuning_ : nullptr);
    updateCommands();
    continueStudies();
}

void DesignWindow::continueStudies() {
    const auto studies = studies_->read();
    const auto* request = std::get_if<StudyRequest>(&studies);
    const std::optional<analysis::Placement> asked =
        request != nullptr ? request->placement : std::nullopt;
    const std::optional<analysis::Placement> known =
        overGround_ ? std::optional(overGround_->placement) : std::nullopt;
    if (asked != known) {
        startGround();
        if (stage_ == Stage::Ground) return;
    }
    if (measurement_ && !advice_ && tuning_) startAdvice();
}

void DesignWindow::importMeasurement() {
    const QString title = QStringLiteral("导入测量");
    const QString filter = QStringLiteral("Touchstone 单端口文件 (*.s1p *.S1P);;所有文件 (*)");
    const QString path = openChooser() ? openChooser()(this, title, filter)
                                       : askForFile(this, title, filter, {}, false);
    if (path.isEmpty()) return;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return reportError(this, QStringLiteral("无法读取测量文件：") + path);
    }
    if (file.size() > static_cast<qint64>(analysis::kMaxTouchstoneBytes)) {
        return reportError(this, path + QStringLiteral("：超过 4 MiB，不像测量文件"));
    }
    const QByteArray text = file.readAll();
    auto read = analysis::readTouchstone(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
        Language::Chinese);
    if (const auto* failure = std::get_if<analysis::Failure>(&read)) {
        return reportError(this,
                           path + QStringLiteral("：") + QString::fromStdString(failure->message));
    }
    measurement_ = std::move(std::get<analysis::Measurement>(read));
    advice_.reset();
    sweepPlot_->setMeasurement(&*measurement_);
    plots_->setCurrentWidget(sweepPlot_);
    if (stage_ == Stage::Idle) continueStudies();
}

void DesignWindow::startAdvice() {
    if (!analysis_ || !tuning_ || !measurement_ || !sheet_) return;
    const MatchChoice match = build_->match();
    if (match == MatchChoice::Both) {
        build_->setNote(
            QStringLiteral("解读测量需要知道天线用的是哪一种匹配：请在“50 欧匹配”中只选一种。"));
        return;
    }
    const analysis::Feed feed = match == MatchChoice::Hairpin ? analysis::Feed::Hairpin
                                : match == MatchChoice::Coax  ? analysis::Feed::Coax
                                                              : analysis::Feed::Direct;
    stage_ = Stage::Advice;
    launch(std::make_unique<analysis::TrimAdvisor>(sheet::antennaOf(*sheet_), *analysis_, *tuning_,
                                                   feed, *measurement_, Language::Chinese),
           QStringLiteral("正在对照测量与模型…"), &DesignWindow::adviceDone);
}

void DesignWindow::adviceDone(const std::variant<analysis::TrimAdvice, analysis::Failure>& result) {
    showRunning(false);
    stage_ = Stage::Idle;
    if (const auto* failure = std::get_if<analysis::Failure>(&result)) {
        status_->setText(QString::fromStdString(failure->message));
    } else {
        advice_ = std::get<analysis::TrimAdvice>(result);
        status_->setText(QStringLiteral("分析完成。"));
    }
    showFigures();
    updateCommands();
}

// One figure a line: the analysis', then the trim's and the matches'.
void DesignWindow::showFigures() {
    if (!analysis_) {
        build_->setResults(QStringLiteral("分析完成后在这里给出谐振长度和匹配的下料尺寸。"));
        return;
    }
    if (tuning_) {
        QStringList results;
        for (const std::string& line : sheet::tuningFigureLines(
                 *analysis_, *tuning_, sheet_ ? &*sheet_ : nullptr, Language::Chinese)) {
            results << QString::fromStdString(line);
        }
        build_->setResults(results.join('\n'));
    } else {
        build_->setResults(QStringLiteral("正在调整驱动元件…"));
    }
    QStringList lines;
    for (const std::string& line :
         sheet::figureLines(*analysis_, tuning_ ? &*tuning_ : nullptr, sheet_ ? &*sheet_ : nullptr,
                            Language::Chinese)) {
        lines << QString::fromStdString(line);
    }
    std::vector<sheet::StudyLine> studies;
    if (overGround_) {
        studies = sheet::overGroundLines(*overGround_, Language::Chinese);
    }
    if (tolerance_) {
        for (sheet::StudyLine& line : sheet::toleranceLines(*tolerance_, Language::Chinese)) {
            studies.push_back(std::move(line));
        }
    }
    if (advice_) {
        for (sheet::StudyLine& line : sheet::adviceLines(*advice_, Language::Chinese)) {
            studies.push_back(std::move(line));
        }
    }
    for (const sheet::StudyLine& line : studies) {
        lines << QString::fromStdString(line.label + "：" + line.text);
    }
    figures_->setPlainText(lines.join('\n'));
}

void DesignWindow::cancelAnalysis() {
    retired_.reset();
    stage_ = Stage::Idle;
    groundWaiting_ = false;
    if (run_ == nullptr) return;
    run_->cancel();
    run_.reset();
    showRunning(false);
}

// The busy bar and the cancel command, while the analysis runs.
void DesignWindow::showRunning(bool running) {
    progress_->setVisible(running);
    cancel_->setEnabled(running);
}

bool DesignWindow::analysing() const { return run_ != nullptr && run_->running(); }

void DesignWindow::setAnalysisNote(const QString& note) {
    analysisNote_ = note;
    status_->setText(note);
    if (!note.isEmpty()) figures_->setPlainText(note);
}

void DesignWindow::updateCommands() {
    for (const auto& [kind, button] : exports_) {
        const bool needsAnalysis =
            kind == Export::Pattern || kind == Export::FiguresCsv || kind == Export::SweepCsv;
        button->setEnabled(sheet_.has_value() && (!needsAnalysis || analysis_.has_value()));
    }
    print_->setEnabled(sheet_.has_value());
    studies_->setToleranceEnabled(analysis_.has_value() && stage_ == Stage::Idle);
}

// The cut columns widen the sheet: its side grows so that the positions stay in view,
// leaving the analysis room for its plots.
void DesignWindow::fitSheetSide() {
    if (!sheet_) return;
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
    cancelAnalysis();
    event->accept();
}

QPointer<DesignWindow>& designWindow() {
    static QPointer<DesignWindow> instance;
    return instance;
}

void showDesignWindow(const std::optional<sheet::Design>& design) {
    QPointer<DesignWindow>& window = designWindow();
    if (window.isNull()) {
        window = new DesignWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (design) window->showDesign(*design);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace zeva::ui
