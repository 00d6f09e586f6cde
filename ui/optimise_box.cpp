// SPDX-License-Identifier: MIT
#include "ui/optimise_box.h"
#include "ui/language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "sheet/studies.h"
#include "ui/errors.h"
#include "ui/study_plots.h"

namespace zeva::ui {

OptimiseBox::OptimiseBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("optimiseBox"));
    aim_ = new QComboBox;
    aim_->setObjectName(QStringLiteral("optimiseAim"));
    aim_->addItem(uiText("Most gain, clean pattern"));
    aim_->addItem(uiText("Best F/B across the band"));
    aim_->addItem(uiText("Flattest SWR"));
    const auto limit = [this](const char* name, const char* text, double low, double high,
                              double value, int decimals, bool on, QCheckBox*& box,
                              QDoubleSpinBox*& spin) {
        box = new QCheckBox(uiText(text));
        box->setObjectName(QLatin1String(name) + QStringLiteral("Limit"));
        box->setChecked(on);
        spin = new QDoubleSpinBox;
        spin->setObjectName(QLatin1String(name));
        spin->setRange(low, high);
        spin->setDecimals(decimals);
        spin->setSingleStep(decimals == 2 ? 0.05 : 0.5);
        spin->setValue(value);
    };
    limit("optimiseFb", N_("F/B at least (dB)"), 0, 60, 20, 1, true, fbLimit_, fb_);
    limit("optimiseSwr", N_("SWR at most"), 1, 20, 1.5, 2, true, swrLimit_, swr_);
    limit("optimiseGain", N_("Gain at least (dBi)"), -10, 30, 10, 1, false, gainLimit_, gain_);
    asBuilt_ = new QCheckBox(uiText("As built (±1 mm, ±2 mm)"));
    asBuilt_->setObjectName(QStringLiteral("optimiseAsBuilt"));
    asBuilt_->setToolTip(
        uiText("Judges each antenna over six cut within ±1 mm in length and ±2 mm in position: "
               "the SWR by its 90th percentile, the rest by their medians. Slower."));
    seed_ = new QSpinBox;
    seed_->setObjectName(QStringLiteral("optimiseSeed"));
    seed_->setRange(0, 1000000);
    seed_->setValue(1);
    seconds_ = new QSpinBox;
    seconds_->setObjectName(QStringLiteral("optimiseSeconds"));
    seconds_->setRange(1, 3600);
    seconds_->setValue(120);
    seconds_->setSuffix(uiText(" s"));

    start_ = new QPushButton(uiText("&Start optimising"));
    start_->setObjectName(QStringLiteral("startOptimise"));
    stop_ = new QPushButton(uiText("Sto&p"));
    stop_->setObjectName(QStringLiteral("stopOptimise"));
    stop_->setToolTip(uiText("Ends the search and keeps the best antenna found so far"));
    use_ = new QPushButton(uiText("Use this design"));
    use_->setObjectName(QStringLiteral("useOptimised"));
    use_->setToolTip(
        uiText("Puts the optimised antenna into the cut sheet, the exports and the "
               "report; the main window keeps the calculator's figures"));
    original_ = new QPushButton(uiText("Back to the design"));
    original_->setObjectName(QStringLiteral("useOriginal"));
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("optimiseProgress"));
    progress_->setRange(0, 1000);
    status_ = wrappingLabel(this, "optimiseStatus");
    status_->setText(
        uiText("The search moves every length and spacing, the boom held, over the "
               "band of the sweep's F1:F2 (or ±1 %), the SWR through the match chosen; behind "
               "a match the driven element keeps its length, which the match's trim sets."));
    table_ = new QTableWidget(0, 3);
    table_->setObjectName(QStringLiteral("optimiseTable"));
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->setHorizontalHeaderLabels(
        {uiText("across the band"), uiText("before"), uiText("after")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tall enough for its six rows and no taller: the live plot takes the rest.
    table_->setMaximumHeight(table_->horizontalHeader()->sizeHint().height() +
                             7 * (fontMetrics().height() + 6) + 2 * table_->frameWidth());

    live_ =
        new StudyPlot(uiText("The start's and the best antenna's SWR and pattern appear here "
                             "while the search runs."));
    live_->setObjectName(QStringLiteral("optimiseLive"));
    live_->setMinimumSize(200, 200);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(uiText("Aim")), 0, 0);
    grid->addWidget(aim_, 0, 1, 1, 3);
    grid->addWidget(fbLimit_, 1, 0);
    grid->addWidget(fb_, 1, 1);
    grid->addWidget(swrLimit_, 1, 2);
    grid->addWidget(swr_, 1, 3);
    grid->addWidget(gainLimit_, 2, 0);
    grid->addWidget(gain_, 2, 1);
    auto* seedLabel = new QLabel(uiText("Seed"));
    seedLabel->setBuddy(seed_);
    grid->addWidget(seedLabel, 2, 2);
    grid->addWidget(seed_, 2, 3);
    auto* timeLabel = new QLabel(uiText("Time cap"));
    timeLabel->setBuddy(seconds_);
    grid->addWidget(timeLabel, 3, 0);
    grid->addWidget(seconds_, 3, 1);
    grid->addWidget(asBuilt_, 3, 2, 1, 2);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {start_, stop_, use_, original_}) buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addWidget(table_);
    layout->addWidget(live_, 1);

    connect(start_, &QPushButton::clicked, this, &OptimiseBox::startSearch);
    connect(stop_, &QPushButton::clicked, this, [this] {
        if (run_) run_->stop();
        stopping_ = true;
        status_->setText(uiText("Stopping: the best antenna so far is being analysed…"));
    });
    connect(use_, &QPushButton::clicked, this, [this] {
        if (!outcome_ || !outcome_->analysis || !use) return;
        use(std::get<analysis::Optimisation>(outcome_->result).antenna, *outcome_->analysis);
    });
    connect(original_, &QPushButton::clicked, this, [this] {
        if (original) original();
    });
    updateButtons();
}

OptimiseBox::~OptimiseBox() { cancel(); }

analysis::Goals OptimiseBox::goals() const {
    analysis::Goals goals;
    goals.aim = aim_->currentIndex() == 1   ? analysis::Aim::FrontToBack
                : aim_->currentIndex() == 2 ? analysis::Aim::Swr
                                            : analysis::Aim::Gain;
    goals.asBuilt = asBuilt_->isChecked();
    if (fbLimit_->isChecked())
        goals.limits.push_back({analysis::Figure::FrontToBack, true, fb_->value()});
    if (swrLimit_->isChecked())
        goals.limits.push_back({analysis::Figure::Swr, false, swr_->value()});
    if (gainLimit_->isChecked())
        goals.limits.push_back({analysis::Figure::Gain, true, gain_->value()});
    return goals;
}

void OptimiseBox::startSearch() {
    if (running() || !start) return;
    const auto from = start();
    if (const auto* why = std::get_if<QString>(&from)) {
        status_->setText(*why);
        return;
    }
    const Start& s = std::get<Start>(from);
    if (const auto wrong = analysis::checkBand(s.band, s.antenna.frequency, windowLanguage())) {
        status_->setText(QString::fromStdString(wrong->message));
        return;
    }
    analysis::OptimiseRequest request;
    request.goals = goals();
    request.band = s.band;
    request.feed = s.feed;
    request.seed = static_cast<std::uint64_t>(seed_->value());
    request.seconds = seconds_->value();
    request.curves = true;
    outcome_.reset();
    live_->setPainter({});
    table_->setRowCount(0);
    progress_->setValue(0);
    status_->setText(uiText("Optimising…"));
    stopping_ = false;
    run_ = std::make_unique<OptimiseRun>(
        [this](const analysis::OptimiseProgress& p) { showProgress(p); },
        [this] {
            if (!stopping_) status_->setText(uiText("Analysing the optimised antenna…"));
        },
        [this](const OptimiseOutcome& outcome) { showOutcome(outcome); });
    run_->start(s.antenna, s.analysis, request);
    updateButtons();
}

void OptimiseBox::showProgress(const analysis::OptimiseProgress& p) {
    if (stopping_) return;
    live_->setPainter(
        [start = p.startCurves, best = p.bestCurves](QPainter& painter, const QRectF& area) {
            paintSearchCurves(painter, area, start, best);
        });
    progress_->setValue(
        static_cast<int>(std::lround(1000 * std::min(1.0, p.seconds / p.secondsCap))));
    status_->setText(uiText("%1 antennas tried; the best so far: %2 dBi, F/B %3 dB, SWR %4 "
                            "across the band; at most %5 s left")
                         .arg(p.evaluations)
                         .arg(QString::fromStdString(analysis::fixed(p.best.gain, 2)))
                         .arg(QString::fromStdString(analysis::fixed(p.best.frontToBack, 1)))
                         .arg(QString::fromStdString(analysis::fixed(p.best.swr, 2)))
                         .arg(QString::fromStdString(
                             analysis::fixed(std::max(0.0, p.secondsCap - p.seconds), 0))));
}

void OptimiseBox::showOutcome(const OptimiseOutcome& outcome) {
    outcome_ = outcome;
    progress_->setValue(1000);
    if (const auto* failure = std::get_if<analysis::Failure>(&outcome.result)) {
        status_->setText(QString::fromStdString(failure->message));
        outcome_.reset();
        updateButtons();
        return;
    }
    const analysis::Optimisation& o = std::get<analysis::Optimisation>(outcome.result);
    QString lines;
    for (const sheet::StudyLine& line : sheet::optimisationLines(o, windowLanguage())) {
        if (!lines.isEmpty()) lines += '\n';
        lines += QString::fromStdString(line.label) +
                 QString::fromUtf8(translate(windowLanguage(), "punctuation", ": ")) +
                 QString::fromStdString(line.text);
    }
    status_->setText(lines);
    const auto rows = sheet::optimisationRows(o, windowLanguage());
    table_->setRowCount(static_cast<int>(rows.size()) - 1);
    for (int c = 0; c < 3; ++c) {
        table_->setHorizontalHeaderItem(
            c, new QTableWidgetItem(QString::fromStdString(rows[0][static_cast<std::size_t>(c)])));
    }
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r][c]));
            if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(static_cast<int>(r) - 1, static_cast<int>(c), item);
        }
    }
    updateButtons();
}

void OptimiseBox::designChanged() {
    cancel();
    outcome_.reset();
    table_->setRowCount(0);
    progress_->setValue(0);
    live_->setPainter({});
    updateButtons();
}

void OptimiseBox::setUsingOptimised(bool using_) {
    usingOptimised_ = using_;
    updateButtons();
}

void OptimiseBox::cancel() {
    if (run_) run_->cancel();
    run_.reset();
    updateButtons();
}

bool OptimiseBox::running() const { return run_ != nullptr && run_->running(); }

const analysis::Optimisation* OptimiseBox::result() const {
    return outcome_ ? std::get_if<analysis::Optimisation>(&outcome_->result) : nullptr;
}

void OptimiseBox::updateButtons() {
    const bool busy = running();
    start_->setEnabled(!busy);
    stop_->setEnabled(busy);
    use_->setEnabled(!busy && outcome_ && outcome_->analysis.has_value() && result() != nullptr &&
                     result()->improved);
    original_->setEnabled(usingOptimised_);
}

}  // namespace zeva::ui
