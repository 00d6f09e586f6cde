// SPDX-License-Identifier: MIT
// The design window's work without a widget: a QCoreApplication, the controls answered by the
// test, and what the session tells recorded as it tells it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "analysis/touchstone.h"
#include "ui/design_session.h"

namespace zeva::ui {
namespace {

using Stage = DesignSession::Stage;

sheet::Design design(ElementMode mode, const char* frequency, int diameter) {
    sheet::Design d;
    d.mode = mode;
    d.frequency = frequency;
    d.diameterIndex = diameter;
    return d;
}

class Session : public testing::Test {
protected:
    Session() {
        DesignSession::Controls controls{[this](sheet::DesignRequest& request) {
                                             request.construction = construction;
                                             request.match = matchRequest;
                                             return buildWrong;
                                         },
                                         [this] { return studies; }, [this] { return match; }};
        DesignSession::Events events;
        events.sheetChanged = [this] { ++sheets; };
        events.analysisChanged = [] {};
        events.figuresChanged = [] {};
        events.studiesChanged = [] {};
        events.commandsChanged = [] {};
        events.status = [this](const QString& text) { statuses << text; };
        events.note = [this](const QString& text) { note = text; };
        events.buildNote = [this](const QString& text) { buildNote = text; };
        events.running = [this](bool now) { running = now; };
        events.studyFailed = [this](Stage, const QString& text) { failures << text; };
        session = std::make_unique<DesignSession>(std::move(controls), std::move(events));
    }

    // Until nothing runs, the event loop turning meanwhile.
    void settle() {
        QElapsedTimer clock;
        clock.start();
        while ((session->analysing() || session->stage() != Stage::Idle) &&
               clock.elapsed() < 120000) {
            QTest::qWait(10);
        }
        ASSERT_FALSE(session->analysing());
    }

    sheet::Construction construction;
    QString buildWrong;
    std::variant<StudyRequest, QString> studies = StudyRequest{};
    MatchChoice match = MatchChoice::None;
    analysis::MatchRequest matchRequest;

    int sheets = 0;
    QStringList statuses;
    QStringList failures;
    QString note;
    QString buildNote;
    bool running = false;
    std::unique_ptr<DesignSession> session;
};

TEST_F(Session, a_design_is_analysed_and_trimmed_and_the_same_design_again_keeps_it) {
    session->showDesign(design(ElementMode::TwoElement, "28.5", 10));
    ASSERT_NE(session->sheet(), nullptr);
    EXPECT_TRUE(session->designText().contains(QStringLiteral("28.5")));
    EXPECT_EQ(statuses.value(0), QStringLiteral("正在分析…"));
    EXPECT_TRUE(running);
    settle();
    EXPECT_FALSE(running);
    ASSERT_NE(session->analysis(), nullptr);
    ASSERT_NE(session->tuning(), nullptr);
    EXPECT_EQ(statuses.back(), QStringLiteral("分析完成。"));
    EXPECT_TRUE(note.isEmpty());

    const analysis::Analysis* analysed = session->analysis();
    const qsizetype told = statuses.size();
    session->showDesign(design(ElementMode::TwoElement, "28.5", 10));
    EXPECT_EQ(session->analysis(), analysed);
    EXPECT_EQ(statuses.size(), told);  // nothing ran again
    session->reanalyse();
    EXPECT_EQ(session->analysis(), nullptr);
    settle();
    EXPECT_NE(session->analysis(), nullptr);
}

TEST_F(Session, a_newer_design_cancels_the_older_ones_work) {
    session->showDesign(design(ElementMode::MultiElement, "144", 10));
    session->showDesign(design(ElementMode::TwoElement, "50.1", 10));
    settle();
    ASSERT_NE(session->analysis(), nullptr);
    EXPECT_EQ(session->sheet()->request.design.frequency, "50.1");
    EXPECT_NEAR(session->analysis()->wavelength, 299.792458 / 50.1, 0.05);
}

TEST_F(Session, no_diameter_or_a_wrong_control_is_said_and_the_sheet_stands_without_it) {
    session->showDesign(design(ElementMode::ThreeElement, "14.2", -1));
    EXPECT_EQ(session->sheet(), nullptr);
    EXPECT_TRUE(session->designText().contains(QStringLiteral("元件直径")));
    EXPECT_FALSE(session->analysing());

    // A boom diameter that is no number leaves the boom unread: no mounting through it.
    buildWrong = QStringLiteral("天线杆直径：不是数");
    construction.mountingGiven = true;
    construction.mounting = analysis::Mounting::Bonded;
    construction.boomDiameter = 0;
    session->showDesign(design(ElementMode::ThreeElement, "14.2", 10));
    EXPECT_EQ(buildNote, buildWrong);
    ASSERT_NE(session->sheet(), nullptr);
    EXPECT_FALSE(session->sheet()->request.construction.mountingGiven);
    session->cancel();

    // A match that does not suit the mounting leaves the mounting as chosen.
    buildWrong = QStringLiteral("伽马匹配要求驱动元件连续");
    construction.boomDiameter = 0.05;
    session->showDesign(design(ElementMode::ThreeElement, "14.2", 10));
    EXPECT_EQ(buildNote, buildWrong);
    ASSERT_NE(session->sheet(), nullptr);
    EXPECT_TRUE(session->sheet()->request.construction.mountingGiven);
    session->cancel();
}

TEST_F(Session, a_users_cancel_says_what_it_stopped) {
    session->showDesign(design(ElementMode::MultiElement, "144", 10));
    session->cancelByUser();
    EXPECT_FALSE(session->analysing());
    EXPECT_FALSE(running);
    EXPECT_EQ(note, QStringLiteral("分析已取消。"));
    EXPECT_EQ(session->analysis(), nullptr);

    session->reanalyse();
    settle();
    ASSERT_NE(session->analysis(), nullptr);
    studies = StudyRequest{{}, analysis::Placement{10, *analysis::groundNamed("average")}, {}};
    session->placementChanged();
    EXPECT_EQ(session->stage(), Stage::Ground);
    session->cancelByUser();
    EXPECT_EQ(statuses.back(), QStringLiteral("已取消。"));
    EXPECT_NE(session->analysis(), nullptr);  // a study's cancel leaves the analysis
}

// The ground asked for while the tolerance runs waits for it, then follows.
TEST_F(Session, studies_follow_the_controls_one_after_the_other) {
    session->showDesign(design(ElementMode::TwoElement, "28.5", 10));
    settle();
    StudyRequest request;
    request.tolerance.length = 0.005;
    request.tolerance.samples = 8;
    studies = request;
    session->startTolerance();
    EXPECT_EQ(session->stage(), Stage::Tolerance);
    request.placement = analysis::Placement{10, *analysis::groundNamed("perfect")};
    studies = request;
    session->placementChanged();
    EXPECT_EQ(session->stage(), Stage::Tolerance);
    settle();
    EXPECT_NE(session->tolerance(), nullptr);
    ASSERT_NE(session->overGround(), nullptr);
    EXPECT_EQ(session->overGround()->placement, *request.placement);
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();

    // A wrong study control is said and nothing starts.
    studies = QStringLiteral("高度：不是数");
    EXPECT_FALSE(session->startTolerance());
    EXPECT_EQ(buildNote, QStringLiteral("高度：不是数"));
    EXPECT_EQ(session->stage(), Stage::Idle);

    // A tolerance the study refuses starts, and ends at once in its reason.
    request.tolerance.length = 1;
    studies = request;
    EXPECT_TRUE(session->startTolerance());
    settle();
    EXPECT_EQ(session->tolerance(), nullptr);
    ASSERT_FALSE(failures.isEmpty());
    EXPECT_TRUE(failures.back().contains(QStringLiteral("长度公差")))
        << failures.back().toStdString();

    // The ground no longer asked for while it runs: stopped, nothing shown.
    request.tolerance.length = 0.005;
    request.placement = analysis::Placement{12, *analysis::groundNamed("average")};
    studies = request;
    session->placementChanged();
    ASSERT_EQ(session->stage(), Stage::Ground);
    request.placement.reset();
    studies = request;
    session->placementChanged();
    EXPECT_EQ(session->stage(), Stage::Idle);
    EXPECT_FALSE(running);
    EXPECT_EQ(statuses.back(), QStringLiteral("已取消。"));
    settle();
    EXPECT_EQ(session->overGround(), nullptr);
}

TEST_F(Session, a_measurement_needs_one_match_to_be_read_through) {
    session->showDesign(design(ElementMode::ThreeElement, "14.2", 14));
    settle();
    QFile file(QStringLiteral(ZEVA_EXAMPLES_DIR "/measured-3-elements-14.2-mhz.s1p"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    auto read = analysis::readTouchstone(text.toStdString(), analysis::Language::Chinese);
    ASSERT_TRUE(std::holds_alternative<analysis::Measurement>(read));

    match = MatchChoice::Both;
    session->setMeasurement(std::get<analysis::Measurement>(read));
    settle();
    EXPECT_EQ(session->advice(), nullptr);
    EXPECT_TRUE(buildNote.contains(QStringLiteral("只选一种")));

    match = MatchChoice::None;
    session->setMeasurement(std::get<analysis::Measurement>(read));
    settle();
    EXPECT_NE(session->advice(), nullptr);
}

// Through a gamma match the measurement is read as the strap's move and the capacitor's; a
// design without the match drops that reading.
TEST_F(Session, a_measurement_through_a_gamma_match_is_read_as_the_strap_and_capacitor) {
    construction.mountingGiven = true;
    construction.mounting = analysis::Mounting::Bonded;
    construction.boomDiameter = 0.05;
    construction.drivenThroughBoom = true;
    matchRequest.gamma = true;
    match = MatchChoice::Gamma;
    session->showDesign(design(ElementMode::ThreeElement, "14.2", 14));
    settle();
    ASSERT_NE(session->tuning(), nullptr);
    ASSERT_TRUE(session->tuning()->rods.has_value());
    QFile file(QStringLiteral(ZEVA_EXAMPLES_DIR "/measured-3-elements-14.2-mhz.s1p"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    auto read = analysis::readTouchstone(file.readAll().toStdString(), Language::Chinese);
    ASSERT_TRUE(std::holds_alternative<analysis::Measurement>(read));
    session->setMeasurement(std::get<analysis::Measurement>(read));
    settle();
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_EQ(session->advice(), nullptr);
    ASSERT_NE(session->rodAdvice(), nullptr);
    EXPECT_GT(session->rodAdvice()->measured.leastSwr, 1);

    matchRequest = {};
    match = MatchChoice::None;
    session->startTuning();
    settle();
    EXPECT_EQ(session->rodAdvice(), nullptr);
    EXPECT_NE(session->advice(), nullptr);
}

// A ground and a measurement both asked for while the analysis runs: each follows it, in turn,
// and neither is dropped for the other.
TEST_F(Session, a_ground_and_a_measurement_asked_for_meanwhile_both_follow_the_analysis) {
    QFile file(QStringLiteral(ZEVA_EXAMPLES_DIR "/measured-3-elements-14.2-mhz.s1p"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    auto read = analysis::readTouchstone(file.readAll().toStdString(), Language::Chinese);
    ASSERT_TRUE(std::holds_alternative<analysis::Measurement>(read));

    session->showDesign(design(ElementMode::ThreeElement, "14.2", 14));
    ASSERT_EQ(session->stage(), Stage::Analysis);
    StudyRequest request;
    request.placement = analysis::Placement{10, *analysis::groundNamed("average")};
    studies = request;
    session->placementChanged();
    session->setMeasurement(std::get<analysis::Measurement>(read));
    settle();
    ASSERT_NE(session->overGround(), nullptr);
    EXPECT_EQ(session->overGround()->placement, *request.placement);
    EXPECT_NE(session->advice(), nullptr);
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
}

}  // namespace
}  // namespace zeva::ui

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
