#include "ui/design_window.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <set>
#include <utility>

#include "sheet/render.h"
#include "ui/analysis_run.h"
#include "ui/errors.h"
#include "ui/plots.h"
#include "ui/report.h"

namespace zeva::ui {

using analysis::Language;

// Every element of the sheet a row, the sheet's columns as zeva-sheet prints them.
class CutSheetModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setSheet(const sheet::CutSheet* sheet) {
        beginResetModel();
        sheet_ = sheet;
        headings_ = sheet != nullptr ? sheet::sheetHeadings(*sheet) : std::vector<std::string>{};
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || sheet_ == nullptr ? 0
                                                     : static_cast<int>(sheet_->elements.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(headings_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || sheet_ == nullptr) return {};
        if (role == Qt::TextAlignmentRole) {
            // Names and tape readings read from the left, figures from the right.
            const std::string& heading = headings_[static_cast<std::size_t>(index.column())];
            const bool text = index.column() == 0 || heading.find("读数") != std::string::npos;
            return text ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                        : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole) return {};
        const auto& element = sheet_->elements[static_cast<std::size_t>(index.row())];
        return QString::fromStdString(
            sheet::sheetCells(element)[static_cast<std::size_t>(index.column())]);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
            return QAbstractTableModel::headerData(section, orientation, role);
        }
        return QString::fromStdString(headings_[static_cast<std::size_t>(section)]);
    }

private:
    const sheet::CutSheet* sheet_ = nullptr;
    std::vector<std::string> headings_;
};

namespace {

// Ctrl+C copies the selected cells as tab-separated text with a heading row, as spreadsheets
// read a paste; Ctrl+A selects the whole table first.
class SheetTable final : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy)) {
            copySelection();
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }

private:
    void copySelection() {
        const QModelIndexList selected = selectionModel()->selectedIndexes();
        if (selected.isEmpty()) return;
        std::set<int> rows;
        std::set<int> columns;
        for (const QModelIndex& index : selected) {
            rows.insert(index.row());
            columns.insert(index.column());
        }
        QStringList lines;
        QStringList heading;
        for (const int column : columns) {
            heading << model()->headerData(column, Qt::Horizontal).toString();
        }
        lines << heading.join('\t');
        for (const int row : rows) {
            QStringList cells;
            for (const int column : columns) {
                const QModelIndex index = model()->index(row, column);
                cells << (selectionModel()->isSelected(index) ? index.data().toString()
                                                              : QString());
            }
            lines << cells.join('\t');
        }
        QApplication::clipboard()->setText(lines.join('\n') + '\n');
    }
};

SaveFileChooser& fileChooser() {
    static SaveFileChooser chooser;
    return chooser;
}

struct ExportCommand {
    Export kind;
    const char* name;     // object name
    const char* caption;  // on the button
    const char* filter;   // for the file dialog
};
constexpr ExportCommand kExports[] = {
    {Export::Csv, "exportCsv", "保存 CSV…", "CSV 表格 (*.csv)"},
    {Export::Json, "exportJson", "保存 JSON…", "JSON 文件 (*.json)"},
    {Export::Deck, "exportDeck", "保存 NEC-2 模型…", "NEC-2 模型 (*.nec)"},
    {Export::Pattern, "exportPattern", "保存方向图 SVG…", "SVG 图形 (*.svg)"},
    {Export::Pdf, "exportPdf", "保存 PDF 报告…", "PDF 文档 (*.pdf)"},
};

QLabel* wrappingLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

void setSaveFileChooser(SaveFileChooser chooser) { fileChooser() = std::move(chooser); }

DesignWindow::DesignWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DesignWindow"));
    setWindowTitle(QStringLiteral("下料与分析"));
    resize(1140, 720);

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

    // Right: the analysis' progress, figures and plots.
    auto* analysisSide = new QWidget;
    auto* analysisLayout = new QVBoxLayout(analysisSide);
    analysisLayout->setContentsMargins(0, 0, 0, 0);
    auto* progressRow = new QHBoxLayout;
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("analysisProgress"));
    progress_->setRange(0, 0);  // busy: nec2c says nothing of its progress
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
    figures_->setMinimumHeight(150);
    sweepPlot_ = new PlotWidget(paintSweep);
    sweepPlot_->setObjectName(QStringLiteral("sweepPlot"));
    patternPlot_ = new PlotWidget(paintPatterns);
    patternPlot_->setObjectName(QStringLiteral("patternPlot"));
    analysisLayout->addLayout(progressRow);
    analysisLayout->addWidget(figures_, 2);
    analysisLayout->addWidget(sweepPlot_, 3);
    analysisLayout->addWidget(patternPlot_, 4);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(sheetSide);
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
    commands->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(design_);
    layout->addWidget(splitter, 1);
    layout->addLayout(commands);

    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancelAnalysis();
        setAnalysisNote(QStringLiteral("分析已取消。"));
    });
    updateCommands();
}

DesignWindow::~DesignWindow() { cancelAnalysis(); }

void DesignWindow::showDesign(const sheet::SheetOptions& design) {
    cancelAnalysis();
    analysis_.reset();
    sweepPlot_->setAnalysis(nullptr);
    patternPlot_->setAnalysis(nullptr);
    figures_->clear();
    model_->setSheet(nullptr);
    sheet_.reset();
    boom_->clear();
    if (design.diameterIndex < 0) {
        design_->setText(
            QStringLiteral("下料与分析需要主窗口中选定的元件数和元件直径：请选择后再点击“计算”。"));
        setAnalysisNote({});
        updateCommands();
        return;
    }
    Result<sheet::CutSheet> made = sheet::makeCutSheet(design);
    if (!made.ok()) {
        design_->setText(errorMessage(made.error()));
        setAnalysisNote({});
        updateCommands();
        return;
    }
    sheet_ = std::move(made.value());
    design_->setText(QString::fromStdString(sheet::designLine(*sheet_)));
    model_->setSheet(&*sheet_);
    boom_->setText(QStringLiteral("天线杆长度：%1 英尺，%2 厘米")
                       .arg(QString::fromStdString(sheet_->boomFeet),
                            QString::fromStdString(sheet_->boomCentimetres)));
    startAnalysis();
    updateCommands();
}

void DesignWindow::startAnalysis() {
    if (QStandardPaths::findExecutable(QStringLiteral("nec2c")).isEmpty()) {
        setAnalysisNote(QString::fromStdString(analysis::nec2cMissing(Language::Chinese).message) +
                        QStringLiteral("。下料表不需要它。"));
        return;
    }
    setAnalysisNote({});
    status_->setText(QStringLiteral("正在分析…"));
    progress_->setVisible(true);
    cancel_->setEnabled(true);
    run_ = std::make_unique<AnalysisRun>(
        sheet::antennaOf(*sheet_), QThread::idealThreadCount(),
        [this](int round) {
            status_->setText(QStringLiteral("正在分析：第 %1 轮 nec2c 计算…").arg(round));
        },
        [this](const AnalysisRun::Result& result) { analysisDone(result); });
    run_->start();
}

void DesignWindow::analysisDone(const AnalysisRun::Result& result) {
    progress_->setVisible(false);
    cancel_->setEnabled(false);
    if (const auto* failure = std::get_if<analysis::Failure>(&result)) {
        setAnalysisNote(QString::fromStdString(failure->message));
    } else {
        analysis_ = std::get<analysis::Analysis>(result);
        status_->setText(QStringLiteral("分析完成。"));
        QStringList lines;
        for (const sheet::FigureLine& figure :
             sheet::analysisFigures(*analysis_, Language::Chinese)) {
            lines << QString::fromStdString(figure.label + "：" + figure.text);
        }
        figures_->setPlainText(lines.join('\n'));
        sweepPlot_->setAnalysis(&*analysis_);
        patternPlot_->setAnalysis(&*analysis_);
    }
    updateCommands();
}

void DesignWindow::cancelAnalysis() {
    if (run_ == nullptr) return;
    run_->cancel();
    run_.reset();
    progress_->setVisible(false);
    cancel_->setEnabled(false);
}

bool DesignWindow::analysing() const { return run_ != nullptr && run_->running(); }

void DesignWindow::setAnalysisNote(const QString& note) {
    analysisNote_ = note;
    status_->setText(note);
    if (!note.isEmpty()) figures_->setPlainText(note);
}

void DesignWindow::updateCommands() {
    for (const auto& [kind, button] : exports_) {
        button->setEnabled(sheet_.has_value() &&
                           (kind != Export::Pattern || analysis_.has_value()));
    }
    print_->setEnabled(sheet_.has_value());
}

void DesignWindow::closeEvent(QCloseEvent* event) {
    cancelAnalysis();
    event->accept();
}

void DesignWindow::chooseAndExport(Export kind) {
    const ExportCommand* command = nullptr;
    for (const ExportCommand& candidate : kExports) {
        if (candidate.kind == kind) command = &candidate;
    }
    const QString title = QString::fromUtf8(command->caption).remove(QChar(0x2026));
    const QString filter = QString::fromUtf8(command->filter);
    const QString path = fileChooser() ? fileChooser()(this, title, filter)
                                       : QFileDialog::getSaveFileName(this, title, {}, filter);
    if (!path.isEmpty()) exportTo(kind, path);
}

bool DesignWindow::exportTo(Export kind, const QString& path) {
    if (!sheet_) return false;
    const analysis::Antenna antenna = sheet::antennaOf(*sheet_);
    const analysis::Analysis* analysis = analysis_ ? &*analysis_ : nullptr;
    std::string content;
    switch (kind) {
        case Export::Csv:
        case Export::Json: {
            sheet::SheetOptions options = sheet_->options;
            options.format =
                kind == Export::Csv ? sheet::OutputFormat::Csv : sheet::OutputFormat::Json;
            content = sheet::render({options, &*sheet_, antenna, analysis});
            break;
        }
        case Export::Deck:
            content = sheet::necDeck(antenna, analysis);
            break;
        case Export::Pattern:
            if (analysis == nullptr) return false;
            content = sheet::patternSvg(*analysis, antenna.frequency, Language::Chinese);
            break;
        case Export::Pdf: {
            const QByteArray pdf = reportPdf({*sheet_, analysis, analysisNote_});
            if (pdf.isEmpty()) {
                reportError(this, QStringLiteral("无法生成 PDF 报告：") + path);
                return false;
            }
            content.assign(pdf.constData(), static_cast<std::size_t>(pdf.size()));
            break;
        }
    }
    const QByteArray file = QFile::encodeName(path);
    if (const auto failure = sheet::writeAll({{file.toStdString(), content}}, Language::Chinese)) {
        reportError(this, QString::fromStdString(failure->message));
        return false;
    }
    return true;
}

// The report on the default printer, as the main window prints: no dialog.
void DesignWindow::printReport() {
    if (!sheet_) return;
    const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
    if (destination.isNull()) {
        return reportError(this, QStringLiteral("无法打印：没有默认打印机"));
    }
    QPrinter printer(destination, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("ZEVA 下料与分析"));
    if (!paintReport(printer, {*sheet_, analysis_ ? &*analysis_ : nullptr, analysisNote_})) {
        reportError(this, QStringLiteral("无法打印：打印机没有响应"));
    }
}

QPointer<DesignWindow>& designWindow() {
    static QPointer<DesignWindow> instance;
    return instance;
}

void showDesignWindow(const std::optional<sheet::SheetOptions>& design) {
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
