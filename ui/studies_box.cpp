// SPDX-License-Identifier: MIT
#include "ui/studies_box.h"
#include "ui/language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <charconv>

#include "sheet/entries.h"
#include "ui/errors.h"

namespace zeva::ui {
namespace {

// The grounds in the order of the list: perfect, then the presets.
constexpr const char* kGrounds[] = {"perfect", "poor", "average", "good", "sea"};
constexpr int kAverageGround = 2;

}  // namespace

StudiesBox::StudiesBox(QWidget* parent) : QGroupBox(uiText("Sweep, ground and tolerance"), parent) {
    setObjectName(QStringLiteral("studies"));
    auto* grid = new QGridLayout(this);
    const auto edit = [this](const char* name, const char* text, int width) {
        auto* field = new QLineEdit(QString::fromUtf8(text), this);
        field->setObjectName(QLatin1String(name));
        field->setMaximumWidth(width);
        return field;
    };
    const auto label = [](const char* text, QWidget* buddy) {
        auto* caption = new QLabel(uiText(text));
        caption->setBuddy(buddy);
        return caption;
    };
    sweep_ = edit("sweepRange", "2", 120);
    sweep_->setToolTip(
        uiText("± a per cent of the design frequency (at most %1), or F1:F2 (MHz)")
            .arg(QString::fromStdString(analysis::shortest(analysis::kMaxSweepSpan * 100))));
    overGround_ = new QCheckBox(uiText("Over the &ground"));
    overGround_->setObjectName(QStringLiteral("overGround"));
    height_ = edit("height", "10", 90);
    height_->setToolTip(uiText("the boom's height above the ground: metres, or with cm, ft, in"));
    ground_ = new QComboBox;
    ground_->setObjectName(QStringLiteral("ground"));
    for (const char* name : kGrounds) {
        ground_->addItem(QString::fromStdString(
            analysis::groundName(*analysis::groundNamed(name), windowLanguage())));
    }
    ground_->setCurrentIndex(kAverageGround);
    length_ = edit("toleranceLength", "1", 70);
    position_ = edit("tolerancePosition", "1", 70);
    samples_ = edit("toleranceSamples", "200", 70);
    runTolerance_ = new QPushButton(uiText("&Tolerance"));
    runTolerance_->setObjectName(QStringLiteral("runTolerance"));

    // Short rows, so that the box keeps to the width of the window's left side.
    grid->addWidget(label(N_("&Sweep ±% or F1:F2"), sweep_), 0, 0);
    grid->addWidget(sweep_, 0, 1);
    grid->addWidget(overGround_, 1, 0);
    grid->addWidget(label(N_("Height m"), height_), 1, 2);
    grid->addWidget(height_, 1, 3);
    grid->addWidget(ground_, 2, 0, 1, 4);
    grid->addWidget(label(N_("Length ± mm"), length_), 3, 0);
    grid->addWidget(length_, 3, 1);
    grid->addWidget(label(N_("Position ± mm"), position_), 3, 2);
    grid->addWidget(position_, 3, 3);
    grid->addWidget(label(N_("Samples"), samples_), 4, 0);
    grid->addWidget(samples_, 4, 1);
    grid->addWidget(runTolerance_, 4, 2);
    note_ = wrappingLabel(this, "studiesNote");
    QPalette red = note_->palette();
    red.setColor(QPalette::WindowText, QColor(200, 0, 0));  // as the build box says its faults
    note_->setPalette(red);
    grid->addWidget(note_, 5, 0, 1, 5);
    grid->setColumnStretch(4, 1);

    restoreSettings();
    for (const auto& kept : keptFields()) {
        connect(kept.second, &QLineEdit::editingFinished, this, [this] { saveSettings(); });
    }
    connect(overGround_, &QCheckBox::toggled, this, [this] { saveSettings(); });
    connect(ground_, &QComboBox::currentIndexChanged, this, [this] { saveSettings(); });

    const auto call = [](const std::function<void()>& f) {
        if (f) f();
    };
    connect(sweep_, &QLineEdit::editingFinished, this, [this, call] { call(sweepChanged); });
    connect(overGround_, &QCheckBox::toggled, this, [this, call] { call(placementChanged); });
    connect(height_, &QLineEdit::editingFinished, this, [this, call] {
        if (overGround_->isChecked()) call(placementChanged);
    });
    connect(ground_, &QComboBox::currentIndexChanged, this, [this, call] {
        if (overGround_->isChecked()) call(placementChanged);
    });
    connect(runTolerance_, &QPushButton::clicked, this, [this, call] { call(toleranceAsked); });
}

std::variant<StudyRequest, QString> StudiesBox::read() const {
    StudyRequest request;
    const auto text = [](const QLineEdit* field) { return field->text().trimmed().toStdString(); };
    const auto sweep = sheet::sweepFrom(text(sweep_));
    if (!sweep) {
        return uiText("the sweep must be a per cent above 0 and at most %1, or F1:F2 (MHz): ")
                   .arg(QString::fromStdString(analysis::shortest(analysis::kMaxSweepSpan * 100))) +
               sweep_->text();
    }
    request.sweep = *sweep;
    if (overGround_->isChecked()) {
        const auto height = sheet::heightFrom(text(height_));
        if (!height)
            return uiText("the height must be a number above zero (m): ") + height_->text();
        const int ground = std::max(0, ground_->currentIndex());
        request.placement = analysis::Placement{*height, *analysis::groundNamed(kGrounds[ground])};
    }
    const auto length = sheet::toleranceFrom(text(length_));
    const auto position = sheet::toleranceFrom(text(position_));
    if (!length)
        return uiText("the length tolerance must be zero or more (mm): ") + length_->text();
    if (!position)
        return uiText("the position tolerance must be zero or more (mm): ") + position_->text();
    const std::string count = text(samples_);
    int samples = 0;
    const auto [end, status] = std::from_chars(count.data(), count.data() + count.size(), samples);
    if (status != std::errc{} || end != count.data() + count.size() || samples < 1 ||
        samples > analysis::kMaxSamples) {
        return uiText("the samples must be a whole number from 1 to %1: ")
                   .arg(analysis::kMaxSamples) +
               samples_->text();
    }
    request.tolerance = {*length, *position, samples, 1};
    return request;
}

void StudiesBox::setToleranceEnabled(bool enabled) { runTolerance_->setEnabled(enabled); }

void StudiesBox::setNote(const QString& note) { note_->setText(note); }

// The fields as the user left them, the wrong ones too: a field that does not read is said
// again, in red, at the next analysis.
std::array<std::pair<const char*, QLineEdit*>, 5> StudiesBox::keptFields() const {
    return {{{"studies/sweep", sweep_},
             {"studies/height", height_},
             {"studies/toleranceLength", length_},
             {"studies/tolerancePosition", position_},
             {"studies/samples", samples_}}};
}

void StudiesBox::restoreSettings() {
    const QSettings kept = windowSettings();
    for (const auto& [key, field] : keptFields()) {
        field->setText(kept.value(QLatin1String(key), field->text()).toString());
    }
    overGround_->setChecked(kept.value(QStringLiteral("studies/overGround"), false).toBool());
    const int ground = kept.value(QStringLiteral("studies/ground"), kAverageGround).toInt();
    if (ground >= 0 && ground < ground_->count()) ground_->setCurrentIndex(ground);
}

void StudiesBox::saveSettings() const {
    QSettings kept = windowSettings();
    for (const auto& [key, field] : keptFields()) {
        kept.setValue(QLatin1String(key), field->text());
    }
    kept.setValue(QStringLiteral("studies/overGround"), overGround_->isChecked());
    kept.setValue(QStringLiteral("studies/ground"), ground_->currentIndex());
}

}  // namespace zeva::ui
