// SPDX-License-Identifier: MIT
#include "ui/studies_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <charconv>

#include "sheet/entries.h"

namespace zeva::ui {
namespace {

// The grounds in the order of the list: perfect, then the presets.
constexpr const char* kGrounds[] = {"perfect", "poor", "average", "good", "sea"};
constexpr int kAverageGround = 2;

}  // namespace

StudiesBox::StudiesBox(QWidget* parent) : QGroupBox(QStringLiteral("扫描、离地与公差"), parent) {
    setObjectName(QStringLiteral("studies"));
    auto* grid = new QGridLayout(this);
    const auto edit = [this](const char* name, const char* text, int width) {
        auto* field = new QLineEdit(QString::fromUtf8(text), this);
        field->setObjectName(QLatin1String(name));
        field->setMaximumWidth(width);
        return field;
    };
    const auto label = [](const char* text, QWidget* buddy) {
        auto* caption = new QLabel(QString::fromUtf8(text));
        caption->setBuddy(buddy);
        return caption;
    };
    sweep_ = edit("sweepRange", "2", 120);
    sweep_->setToolTip(QStringLiteral("设计频率的 ±百分数（至多 10），或 F1:F2（MHz）"));
    overGround_ = new QCheckBox(QStringLiteral("在地面上方(&G)"));
    overGround_->setObjectName(QStringLiteral("overGround"));
    height_ = edit("height", "10", 90);
    height_->setToolTip(QStringLiteral("天线杆离地的高度：米，或带 cm、ft、in"));
    ground_ = new QComboBox;
    ground_->setObjectName(QStringLiteral("ground"));
    for (const char* name : kGrounds) {
        ground_->addItem(QString::fromStdString(
            analysis::groundName(*analysis::groundNamed(name), analysis::Language::Chinese)));
    }
    ground_->setCurrentIndex(kAverageGround);
    length_ = edit("toleranceLength", "1", 70);
    position_ = edit("tolerancePosition", "1", 70);
    samples_ = edit("toleranceSamples", "200", 70);
    runTolerance_ = new QPushButton(QStringLiteral("公差分析(&T)"));
    runTolerance_->setObjectName(QStringLiteral("runTolerance"));

    grid->addWidget(label("扫描 ±% 或 F1:F2(&S)", sweep_), 0, 0);
    grid->addWidget(sweep_, 0, 1);
    grid->addWidget(overGround_, 0, 2);
    grid->addWidget(label("高度 m", height_), 0, 3);
    grid->addWidget(height_, 0, 4);
    grid->addWidget(ground_, 0, 5, 1, 2);
    grid->addWidget(label("长度公差 mm", length_), 1, 0);
    grid->addWidget(length_, 1, 1);
    grid->addWidget(label("位置公差 mm", position_), 1, 2);
    grid->addWidget(position_, 1, 3);
    grid->addWidget(label("样本数", samples_), 1, 4);
    grid->addWidget(samples_, 1, 5);
    grid->addWidget(runTolerance_, 1, 6);
    grid->setColumnStretch(7, 1);

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
        return QStringLiteral("扫描范围必须是 0 到 10 之间的百分数，或 F1:F2（MHz）：") +
               sweep_->text();
    }
    request.sweep = *sweep;
    if (overGround_->isChecked()) {
        const auto height = sheet::heightFrom(text(height_));
        if (!height) return QStringLiteral("高度必须是大于零的数（米）：") + height_->text();
        const int ground = std::max(0, ground_->currentIndex());
        request.placement = analysis::Placement{*height, *analysis::groundNamed(kGrounds[ground])};
    }
    const auto length = sheet::toleranceFrom(text(length_));
    const auto position = sheet::toleranceFrom(text(position_));
    if (!length) return QStringLiteral("长度公差必须是零或正数（毫米）：") + length_->text();
    if (!position) return QStringLiteral("位置公差必须是零或正数（毫米）：") + position_->text();
    const std::string count = text(samples_);
    int samples = 0;
    const auto [end, status] = std::from_chars(count.data(), count.data() + count.size(), samples);
    if (status != std::errc{} || end != count.data() + count.size() || samples < 1 ||
        samples > analysis::kMaxSamples) {
        return QStringLiteral("样本数必须是 1 到 %1 之间的整数：").arg(analysis::kMaxSamples) +
               samples_->text();
    }
    request.tolerance = {*length, *position, samples, 1};
    return request;
}

void StudiesBox::setToleranceEnabled(bool enabled) { runTolerance_->setEnabled(enabled); }

}  // namespace zeva::ui
