// SPDX-License-Identifier: MIT
#include "ui/build_box.h"
#include "ui/language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <cmath>

#include "engine/numbers.h"
#include "sheet/entries.h"
#include "ui/errors.h"

namespace zeva::ui {

BuildBox::BuildBox(QWidget* parent) : QGroupBox(uiText("From design to antenna"), parent) {
    setObjectName(QStringLiteral("build"));
    auto* grid = new QGridLayout(this);
    const auto edit = [this](const char* name, const char* text) {
        auto* field = new QLineEdit(QString::fromUtf8(text), this);
        field->setObjectName(QLatin1String(name));
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000.00")) +
                               12);
        field->setMaximumWidth(90);
        return field;
    };
    // A short caption says in its field's tip what it stands for.
    const auto label = [](const QString& text, QWidget* buddy) {
        auto* caption = new QLabel(text);
        caption->setBuddy(buddy);
        caption->setToolTip(buddy->toolTip());
        return caption;
    };
    mounting_ = new QComboBox;
    mounting_->setObjectName(QStringLiteral("mounting"));
    mounting_->addItems({uiText("on insulators above the boom (no correction)"),
                         uiText("through a metal boom, insulated"),
                         uiText("through a metal boom, bonded")});
    boomDiameter_ = edit("boomDiameter", "25.4");
    drivenThrough_ = new QCheckBox(uiText("driven element too"));
    drivenThrough_->setObjectName(QStringLiteral("drivenThroughBoom"));
    match_ = new QComboBox;
    match_->setObjectName(QStringLiteral("match"));
    match_->addItems({uiText("no match"), uiText("hairpin match"),
                      uiText("quarter-wave coaxial transformer"), uiText("both"),
                      uiText("gamma match (element bonded to the boom)"),
                      uiText("T match, 200 Ω through a 4:1 balun"),
                      uiText("T match, 50 Ω through a 1:1 balun")});
    hairpinWire_ = edit("hairpinWire", "3");
    hairpinSpacing_ = edit("hairpinSpacing", "50");
    velocity_ = edit("velocityFactor", "0.66");
    rodDiameter_ = edit("rodDiameter", "");
    rodSpacing_ = edit("rodSpacing", "");
    for (QLineEdit* field : {rodDiameter_, rodSpacing_}) field->setPlaceholderText(uiText("usual"));
    boomDiameter_->setToolTip(uiText("the metal boom's outer diameter in millimetres"));
    hairpinWire_->setToolTip(uiText("the diameter of the hairpin's wires in millimetres"));
    hairpinSpacing_->setToolTip(
        uiText("the spacing of the hairpin's wires, centre to centre, in millimetres"));
    velocity_->setToolTip(uiText("the velocity factor of the coaxial transformer's cable"));
    rodDiameter_->setToolTip(
        uiText("the diameter of the gamma or T match's rod in millimetres; empty for 0.4 of "
               "the driven element's"));
    rodSpacing_->setToolTip(
        uiText("the spacing of the rod from the element, centre to centre, in millimetres; "
               "empty for 5 of the element's diameters"));
    tubes_ = new QLineEdit(this);
    tubes_->setObjectName(QStringLiteral("tubes"));
    tubes_->setPlaceholderText(
        uiText("solid elements; or tubes such as 1.25in:36in,1in:48in,0.875in"));
    tubes_->setToolTip(
        uiText("Telescoping tubes from the boom's centre outwards: each tube's diameter and the "
               "length it shows on one side (the centre tube's half), the tip's diameter alone; "
               "mm unless in, cm, m or ft follows. Each tip is solved so that the element works "
               "as the design's wire."));
    series_ = new QComboBox;
    series_->setObjectName(QStringLiteral("tubeSeries"));
    series_->addItems({uiText("inch tube, 0.058 in wall, 6 and 12 ft lengths"),
                       uiText("metric tube, 1 mm wall, 2 and 6 m lengths")});
    overlap_ = edit("overlap", "76.2");
    overlap_->setToolTip(uiText("how far each tube slides into the one before it, in millimetres"));
    note_ = wrappingLabel(this, "buildNote");
    QPalette red = note_->palette();
    red.setColor(QPalette::WindowText, QColor(200, 0, 0));
    note_->setPalette(red);

    // Four short rows rather than two long ones: the box keeps to the sheet's width, which
    // is all the window's left side has.
    grid->addWidget(label(uiText("&Mounting"), mounting_), 0, 0);
    grid->addWidget(mounting_, 0, 1, 1, 5);
    grid->addWidget(label(uiText("&Boom mm"), boomDiameter_), 1, 0);
    grid->addWidget(boomDiameter_, 1, 1);
    grid->addWidget(drivenThrough_, 1, 2, 1, 4);
    grid->addWidget(
        label(uiText("%1-Ω matc&h")
                  .arg(QString::fromStdString(analysis::shortest(analysis::kFeedlineOhms))),
              match_),
        2, 0);
    grid->addWidget(match_, 2, 1, 1, 5);
    grid->addWidget(label(uiText("Wire mm"), hairpinWire_), 3, 0);
    grid->addWidget(hairpinWire_, 3, 1);
    grid->addWidget(label(uiText("Spacing mm"), hairpinSpacing_), 3, 2);
    grid->addWidget(hairpinSpacing_, 3, 3);
    grid->addWidget(label(uiText("VF"), velocity_), 3, 4);
    grid->addWidget(velocity_, 3, 5);
    grid->addWidget(label(uiText("Rod mm"), rodDiameter_), 4, 0);
    grid->addWidget(rodDiameter_, 4, 1);
    grid->addWidget(label(uiText("Rod spacing mm"), rodSpacing_), 4, 2, 1, 2);
    grid->addWidget(rodSpacing_, 4, 4);
    grid->addWidget(label(uiText("&Tubes"), tubes_), 5, 0);
    grid->addWidget(tubes_, 5, 1, 1, 6);
    grid->addWidget(series_, 6, 1, 1, 3);
    grid->addWidget(label(uiText("Overlap mm"), overlap_), 6, 4);
    grid->addWidget(overlap_, 6, 5);
    grid->setColumnStretch(6, 1);
    grid->addWidget(note_, 7, 0, 1, 7);
    results_ = wrappingLabel(this, "buildResults");
    results_->setText(
        uiText("The resonant length and the match's dimensions to cut appear here once the "
               "analysis is done."));
    grid->addWidget(results_, 8, 0, 1, 7);

    restoreSettings();
    for (QComboBox* list : {mounting_, match_, series_}) {
        connect(list, &QComboBox::currentIndexChanged, this, [this] { saveSettings(); });
    }
    connect(drivenThrough_, &QCheckBox::toggled, this, [this] { saveSettings(); });
    for (QLineEdit* field : {boomDiameter_, hairpinWire_, hairpinSpacing_, velocity_, rodDiameter_,
                             rodSpacing_, tubes_, overlap_}) {
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
    // The tubes change only the cut list, which the sheet carries.
    connect(tubes_, &QLineEdit::editingFinished, this, construction);
    connect(overlap_, &QLineEdit::editingFinished, this, construction);
    connect(series_, &QComboBox::currentIndexChanged, this, construction);
    connect(match_, &QComboBox::currentIndexChanged, this, match);
    for (QLineEdit* field : {hairpinWire_, hairpinSpacing_, velocity_, rodDiameter_, rodSpacing_}) {
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
        if (!boom)
            return uiText("the boom diameter must be a number above zero (mm): ") +
                   boomDiameter_->text();
        construction.boomDiameter = *boom / 1000;
    }
    if (const QString tubes = tubes_->text().trimmed(); !tubes.isEmpty()) {
        const auto read = sheet::tubesFrom(tubes.toStdString());
        if (!read) {
            return uiText(
                       "the tubes must read as diameter:length from the centre outwards, the "
                       "tip's diameter alone, such as 1.25in:36in,1.125in:48in,1in: ") +
                   tubes;
        }
        const auto overlap = number(overlap_);
        if (!overlap) {
            return uiText("the tubes' overlap must be a number above zero (mm): ") +
                   overlap_->text();
        }
        analysis::TubeSchedule schedule;
        schedule.tubes = *read;
        schedule.overlap = *overlap / 1000;
        if (series_->currentIndex() == 1) {
            schedule.wall = 0.001;
            schedule.stock = {2.0, 6.0};
        }
        construction.tubes = std::move(schedule);
    }
    const MatchChoice chosen = match();
    request.match.hairpin = chosen == MatchChoice::Hairpin || chosen == MatchChoice::Both;
    request.match.coax = chosen == MatchChoice::Coax || chosen == MatchChoice::Both;
    if (request.match.hairpin) {
        const auto wire = number(hairpinWire_);
        const auto spacing = number(hairpinSpacing_);
        if (!wire) {
            return uiText("the hairpin's wire must be a number above zero (mm): ") +
                   hairpinWire_->text();
        }
        if (!spacing) {
            return uiText("the hairpin's spacing must be a number above zero (mm): ") +
                   hairpinSpacing_->text();
        }
        request.match.wireDiameter = *wire / 1000;
        request.match.spacing = *spacing / 1000;
    }
    request.match.gamma = chosen == MatchChoice::Gamma;
    request.match.tee = chosen == MatchChoice::Tee200 || chosen == MatchChoice::Tee50;
    request.match.teeFeed =
        chosen == MatchChoice::Tee50 ? analysis::kFeedlineOhms : 4 * analysis::kFeedlineOhms;
    if (request.match.rods()) {
        // An empty field leaves the part to the builder's usual for the element.
        for (const auto& [field, metres] : {std::pair{rodDiameter_, &request.match.rodDiameter},
                                            std::pair{rodSpacing_, &request.match.rodSpacing}}) {
            if (field->text().trimmed().isEmpty()) continue;
            const auto value = number(field);
            if (!value) {
                return (field == rodDiameter_
                            ? uiText("the match's rod must be a number above zero (mm): ")
                            : uiText("the rod's spacing must be a number above zero (mm): ")) +
                       field->text();
            }
            *metres = *value / 1000;
        }
    }
    if (request.match.coax) {
        const auto factor = number(velocity_);
        if (!factor)
            return uiText("the velocity factor must lie between 0 and 1: ") + velocity_->text();
        request.match.velocityFactor = *factor;
    }
    // The same checks of the build as the command line's; the design is the main window's.
    if (const auto wrong =
            sheet::checkBuild(request.construction, request.match, windowLanguage())) {
        return QString::fromStdString(wrong->message);
    }
    return {};
}

MatchChoice BuildBox::match() const {
    static constexpr MatchChoice kChoices[] = {
        MatchChoice::None,  MatchChoice::Hairpin, MatchChoice::Coax, MatchChoice::Both,
        MatchChoice::Gamma, MatchChoice::Tee200,  MatchChoice::Tee50};
    return kChoices[std::clamp(match_->currentIndex(), 0, 6)];
}

void BuildBox::setNote(const QString& note) { note_->setText(note); }

void BuildBox::setResults(const QString& results) { results_->setText(results); }

void BuildBox::restoreSettings() {
    const QSettings kept = windowSettings();
    const auto index = [&kept](const char* key, QComboBox* list) {
        const int i = kept.value(QLatin1String(key), list->currentIndex()).toInt();
        if (i >= 0 && i < list->count()) list->setCurrentIndex(i);
    };
    index("build/mounting", mounting_);
    index("build/match", match_);
    index("build/tubeSeries", series_);
    drivenThrough_->setChecked(
        kept.value(QStringLiteral("build/drivenThroughBoom"), false).toBool());
    const auto text = [&kept](const char* key, QLineEdit* field) {
        field->setText(kept.value(QLatin1String(key), field->text()).toString());
    };
    text("build/boomDiameter", boomDiameter_);
    text("build/hairpinWire", hairpinWire_);
    text("build/hairpinSpacing", hairpinSpacing_);
    text("build/velocityFactor", velocity_);
    text("build/rodDiameter", rodDiameter_);
    text("build/rodSpacing", rodSpacing_);
    text("build/tubes", tubes_);
    text("build/overlap", overlap_);
}

void BuildBox::saveSettings() const {
    QSettings kept = windowSettings();
    kept.setValue(QStringLiteral("build/mounting"), mounting_->currentIndex());
    kept.setValue(QStringLiteral("build/match"), match_->currentIndex());
    kept.setValue(QStringLiteral("build/drivenThroughBoom"), drivenThrough_->isChecked());
    kept.setValue(QStringLiteral("build/boomDiameter"), boomDiameter_->text());
    kept.setValue(QStringLiteral("build/hairpinWire"), hairpinWire_->text());
    kept.setValue(QStringLiteral("build/hairpinSpacing"), hairpinSpacing_->text());
    kept.setValue(QStringLiteral("build/velocityFactor"), velocity_->text());
    kept.setValue(QStringLiteral("build/rodDiameter"), rodDiameter_->text());
    kept.setValue(QStringLiteral("build/rodSpacing"), rodSpacing_->text());
    kept.setValue(QStringLiteral("build/tubeSeries"), series_->currentIndex());
    kept.setValue(QStringLiteral("build/tubes"), tubes_->text());
    kept.setValue(QStringLiteral("build/overlap"), overlap_->text());
}

}  // namespace zeva::ui
