// SPDX-License-Identifier: MIT
#include "ui/build_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <cmath>

#include "engine/numbers.h"
#include "ui/errors.h"

namespace zeva::ui {
namespace {

// Where the build controls are kept: the user's configuration of the program.
QSettings settings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zeva"),
                     QStringLiteral("zeva"));
}

}  // namespace

BuildBox::BuildBox(QWidget* parent) : QGroupBox(QStringLiteral("从设计到天线"), parent) {
    auto* grid = new QGridLayout(this);
    const auto edit = [this](const char* name, const char* text) {
        auto* field = new QLineEdit(QString::fromUtf8(text), this);
        field->setObjectName(QLatin1String(name));
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000.00")) +
                               12);
        field->setMaximumWidth(90);
        return field;
    };
    const auto label = [](const char* text, QWidget* buddy) {
        auto* caption = new QLabel(QString::fromUtf8(text));
        caption->setBuddy(buddy);
        return caption;
    };
    mounting_ = new QComboBox;
    mounting_->setObjectName(QStringLiteral("mounting"));
    mounting_->addItems({QStringLiteral("装在杆上方的绝缘子上（不修正）"),
                         QStringLiteral("绝缘地穿过金属杆"), QStringLiteral("穿过金属杆并连接")});
    boomDiameter_ = edit("boomDiameter", "25.4");
    drivenThrough_ = new QCheckBox(QStringLiteral("驱动元件也穿杆"));
    drivenThrough_->setObjectName(QStringLiteral("drivenThroughBoom"));
    match_ = new QComboBox;
    match_->setObjectName(QStringLiteral("match"));
    match_->addItems({QStringLiteral("不匹配"), QStringLiteral("发夹匹配"),
                      QStringLiteral("四分之一波长同轴变换"), QStringLiteral("两种都算")});
    hairpinWire_ = edit("hairpinWire", "3");
    hairpinSpacing_ = edit("hairpinSpacing", "50");
    velocity_ = edit("velocityFactor", "0.66");
    note_ = wrappingLabel(this, "buildNote");
    QPalette red = note_->palette();
    red.setColor(QPalette::WindowText, QColor(200, 0, 0));
    note_->setPalette(red);

    grid->addWidget(label("安装方式(&M)", mounting_), 0, 0);
    grid->addWidget(mounting_, 0, 1, 1, 3);
    grid->addWidget(label("杆径 mm(&B)", boomDiameter_), 0, 4);
    grid->addWidget(boomDiameter_, 0, 5);
    grid->addWidget(drivenThrough_, 0, 6);
    grid->addWidget(label("50 欧匹配(&H)", match_), 1, 0);
    grid->addWidget(match_, 1, 1);
    grid->addWidget(label("发夹线径 mm", hairpinWire_), 1, 2);
    grid->addWidget(hairpinWire_, 1, 3);
    grid->addWidget(label("间距 mm", hairpinSpacing_), 1, 4);
    grid->addWidget(hairpinSpacing_, 1, 5);
    auto* velocityRow = new QHBoxLayout;
    velocityRow->addWidget(label("速度因子", velocity_));
    velocityRow->addWidget(velocity_);
    grid->addLayout(velocityRow, 1, 6);
    grid->addWidget(note_, 2, 0, 1, 7);
    results_ = wrappingLabel(this, "buildResults");
    results_->setText(QStringLiteral("分析完成后在这里给出谐振长度和匹配的下料尺寸。"));
    grid->addWidget(results_, 3, 0, 1, 7);

    restoreSettings();
    for (QComboBox* list : {mounting_, match_}) {
        connect(list, &QComboBox::currentIndexChanged, this, [this] { saveSettings(); });
    }
    connect(drivenThrough_, &QCheckBox::toggled, this, [this] { saveSettings(); });
    for (QLineEdit* field : {boomDiameter_, hairpinWire_, hairpinSpacing_, velocity_}) {
        connect(field, &QLineEdit::editingFinished, this, [this] { saveSettings(); });
    }
    // The mounting changes only the cut lengths; a match needs the tuning run again.
    const auto construction = [this] {
        if (constructionChanged) constructionChanged();
    };
    const auto match = [this] {
        if (matchChanged) matchChanged();
    };
    connect(mounting_, &QComboBox::currentIndexChanged, this, construction);
    connect(drivenThrough_, &QCheckBox::toggled, this, construction);
    connect(boomDiameter_, &QLineEdit::editingFinished, this, construction);
    connect(match_, &QComboBox::currentIndexChanged, this, match);
    for (QLineEdit* field : {hairpinWire_, hairpinSpacing_, velocity_}) {
        connect(field, &QLineEdit::editingFinished, this, match);
    }
}

QString BuildBox::read(sheet::DesignRequest& request) const {
    const auto number = [](const QLineEdit* field) -> std::optional<double> {
        const Result<double> value = parseDouble(field->text().toStdString(), localNumberFormat());
        if (!value.ok() || !(value.value() > 0) || !std::isfinite(value.value())) return {};
        return value.value();
    };
    static constexpr analysis::Mounting kMountings[] = {
        analysis::Mounting::Insulators, analysis::Mounting::Insulated, analysis::Mounting::Bonded};
    sheet::Construction& construction = request.construction;
    construction.mountingGiven = mounting_->currentIndex() > 0;
    construction.mounting = kMountings[std::max(0, mounting_->currentIndex())];
    construction.drivenThroughBoom = drivenThrough_->isChecked();
    if (construction.mountingGiven) {
        const auto boom = number(boomDiameter_);
        if (!boom) return QStringLiteral("杆径必须是大于零的数（毫米）：") + boomDiameter_->text();
        construction.boomDiameter = *boom / 1000;
    }
    const MatchChoice chosen = match();
    request.match.hairpin = chosen == MatchChoice::Hairpin || chosen == MatchChoice::Both;
    request.match.coax = chosen == MatchChoice::Coax || chosen == MatchChoice::Both;
    if (request.match.hairpin) {
        const auto wire = number(hairpinWire_);
        const auto spacing = number(hairpinSpacing_);
        if (!wire) {
            return QStringLiteral("发夹线径必须是大于零的数（毫米）：") + hairpinWire_->text();
        }
        if (!spacing) {
            return QStringLiteral("发夹间距必须是大于零的数（毫米）：") + hairpinSpacing_->text();
        }
        request.match.wireDiameter = *wire / 1000;
        request.match.spacing = *spacing / 1000;
    }
    if (request.match.coax) {
        const auto factor = number(velocity_);
        if (!factor) return QStringLiteral("速度因子必须在 0 和 1 之间：") + velocity_->text();
        request.match.velocityFactor = *factor;
    }
    // The same checks of the build as the command line's; the design is the main window's.
    if (const auto wrong =
            sheet::checkBuild(request.construction, request.match, analysis::Language::Chinese)) {
        return QString::fromStdString(wrong->message);
    }
    return {};
}

MatchChoice BuildBox::match() const {
    static constexpr MatchChoice kChoices[] = {MatchChoice::None, MatchChoice::Hairpin,
                                               MatchChoice::Coax, MatchChoice::Both};
    return kChoices[std::clamp(match_->currentIndex(), 0, 3)];
}

void BuildBox::setNote(const QString& note) { note_->setText(note); }

void BuildBox::setResults(const QString& results) { results_->setText(results); }

void BuildBox::restoreSettings() {
    const QSettings kept = settings();
    const auto index = [&kept](const char* key, QComboBox* list) {
        const int i = kept.value(QLatin1String(key), list->currentIndex()).toInt();
        if (i >= 0 && i < list->count()) list->setCurrentIndex(i);
    };
    index("build/mounting", mounting_);
    index("build/match", match_);
    drivenThrough_->setChecked(
        kept.value(QStringLiteral("build/drivenThroughBoom"), false).toBool());
    const auto text = [&kept](const char* key, QLineEdit* field) {
        field->setText(kept.value(QLatin1String(key), field->text()).toString());
    };
    text("build/boomDiameter", boomDiameter_);
    text("build/hairpinWire", hairpinWire_);
    text("build/hairpinSpacing", hairpinSpacing_);
    text("build/velocityFactor", velocity_);
}

void BuildBox::saveSettings() const {
    QSettings kept = settings();
    kept.setValue(QStringLiteral("build/mounting"), mounting_->currentIndex());
    kept.setValue(QStringLiteral("build/match"), match_->currentIndex());
    kept.setValue(QStringLiteral("build/drivenThroughBoom"), drivenThrough_->isChecked());
    kept.setValue(QStringLiteral("build/boomDiameter"), boomDiameter_->text());
    kept.setValue(QStringLiteral("build/hairpinWire"), hairpinWire_->text());
    kept.setValue(QStringLiteral("build/hairpinSpacing"), hairpinSpacing_->text());
    kept.setValue(QStringLiteral("build/velocityFactor"), velocity_->text());
}

}  // namespace zeva::ui
