// SPDX-License-Identifier: MIT
// The engine's own promises: the mirror fold changes nothing but the work, a stop is seen
// at once, a deck too large or malformed is refused before any solving, and solves on many
// threads at once give what one gives alone.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <thread>

#include "nec/engine.h"
#include "nec/matrix.h"
#include "nec/radiation.h"
#include "nec/sommerfeld.h"

namespace zeva::nec {
namespace {

// A three-element beam across the boom at 144 MHz, elements centred on y = 0.
Deck beam(int segments) {
    Deck deck;
    const double length[] = {1.02, 0.98, 0.93};
    const double position[] = {0, 0.42, 0.9};
    for (int i = 0; i < 3; ++i) {
        deck.wires.push_back(
            {segments, {position[i], -length[i] / 2, 0}, {position[i], length[i] / 2, 0}, 0.004});
    }
    deck.source.at = {1, segments / 2};
    deck.steps = {{144, {{1, 361, 90, 0, 0, 1}, {361, 1, 0, 0, 1, 0}}}};
    return deck;
}

FrequencyResult solved(const Deck& deck, const Options& options) {
    auto result = solveFrequency(deck, 0, options);
    EXPECT_TRUE(std::holds_alternative<FrequencyResult>(result));
    return std::holds_alternative<FrequencyResult>(result) ? std::get<FrequencyResult>(result)
                                                           : FrequencyResult{};
}

TEST(MirrorSymmetry, the_folded_matrix_gives_the_whole_matrix_figures) {
    const Deck deck = beam(41);
    // Pair by pair: the sampled field between the wires is alike on either side of the plane
    // only to a part in 10^10.
    Options folded;
    folded.sampleAcrossWires = false;
    Options whole = folded;
    whole.mirrorSymmetry = false;
    const FrequencyResult a = solved(deck, folded);
    const FrequencyResult b = solved(deck, whole);
    EXPECT_NEAR(a.feed.resistance, b.feed.resistance, 1e-9);
    EXPECT_NEAR(a.feed.reactance, b.feed.reactance, 1e-9);
    EXPECT_NEAR(a.inputPower, b.inputPower, 1e-10 * b.inputPower);
    ASSERT_EQ(a.patterns.size(), 2u);
    for (std::size_t c = 0; c < 2; ++c) {
        ASSERT_EQ(a.patterns[c].size(), b.patterns[c].size());
        for (std::size_t p = 0; p < a.patterns[c].size(); ++p) {
            if (b.patterns[c][p].gain < -100) continue;
            EXPECT_NEAR(a.patterns[c][p].gain, b.patterns[c][p].gain, 1e-9) << c << " " << p;
        }
    }
    // A beam: more forward (phi 0) than back (phi 180).
    EXPECT_GT(a.patterns[0][0].gain, a.patterns[0][180].gain + 5);
}

TEST(MirrorSymmetry, a_structure_off_the_plane_or_fed_off_it_is_solved_whole_and_right) {
    Deck shifted = beam(21);
    for (Wire& w : shifted.wires) {
        w.end1.y += 0.1;
        w.end2.y += 0.1;
    }
    Deck offCentre = beam(21);
    offCentre.source.at.segment = 3;
    for (const Deck* deck : {&shifted, &offCentre}) {
        Options whole;
        whole.mirrorSymmetry = false;
        const FrequencyResult a = solved(*deck, Options{});
        const FrequencyResult b = solved(*deck, whole);
        EXPECT_DOUBLE_EQ(a.feed.resistance, b.feed.resistance);
        EXPECT_DOUBLE_EQ(a.feed.reactance, b.feed.reactance);
    }
    // Moving the whole beam sideways changes nothing of its own (but the adaptive
    // integration's steps, a part in ten million).
    EXPECT_NEAR(solved(shifted, Options{}).feed.resistance,
                solved(beam(21), Options{}).feed.resistance, 1e-4);
}

// The fill that computes each offset along a wire once against the one that computes every
// pair: in free space and over real ground, with either kernel, every entry alike to rounding.
TEST(Fill, offsets_along_a_wire_computed_once_give_every_pair_s_figures) {
    Deck deck = beam(31);
    // A sloping wire: over a ground its image is not alike along it, so it is filled pair
    // by pair there.
    deck.wires.push_back({9, {1.3, -0.4, 0.}, {1.3, 0.4, 0.3}, 0.004});
    // A stub joined to the reflector one segment in from its end: the segment there meets
    // another wire, and its end is treated otherwise than its neighbours'.
    const double joint = -0.51 + 30 * 1.02 / 31;
    deck.wires.push_back({3, {0, joint, 0}, {0, joint, 0.1}, 0.004});
    GroundModel over;
    over.ksymp = 2;  // the beam 0.5 m above it: ground is the plane z = 0
    for (Wire& w : deck.wires) {
        w.end1.z += 0.5;
        w.end2.z += 0.5;
    }
    over.perfect = false;
    const Complex epsc(13, -60 * 0.005 * 2.08);
    over.zrati = 1. / std::sqrt(epsc);
    const Segments s = scaledTo(buildSegments(deck.wires), 144);
    // And by Sommerfeld's integrals, whose field is integrated along each source segment.
    const std::optional<SommerfeldGrid> grid = sommerfeldGrid(epsc);
    ASSERT_TRUE(grid);
    GroundModel sommerfeld = over;
    sommerfeld.sommerfeld = &*grid;
    sommerfeld.frati = (epsc - 1.) / (epsc + 1.);
    sommerfeld.segmentCount = s.n;
    for (const GroundModel& ground : {GroundModel{}, over, sommerfeld}) {
        for (const bool extended : {false, true}) {
            const Unknowns u = everySegment(s);
            Matrix once, every;
            ASSERT_TRUE(fillMatrix(s, u, ground, extended, 2, nullptr, once, true, false));
            ASSERT_TRUE(fillMatrix(s, u, ground, extended, 2, nullptr, every, false));
            double worst = 0;
            bool sloping = true;
            for (std::size_t c = 0; c < u.count(); ++c) {
                for (std::size_t r = 0; r < u.count(); ++r) {
                    const Complex a = once(r, c), b = every(r, c);
                    worst = std::max(worst, std::abs(a - b) / std::abs(b));
                    if (r >= 93 && c >= 93) sloping = sloping && a == b;
                }
            }
            EXPECT_LT(worst, 1e-9) << ground.ksymp << extended;
            EXPECT_EQ(sloping, ground.ksymp == 2);
        }
    }
}

// The field between parallel wires sampled once and interpolated, against every pair
// computed: each entry of the matrix within a part in 10^8 of its column's largest, and the
// figures within a part in 10^7, over beams cut fine and coarse (coarse wires lie too close
// for sampling, and are filled pair by pair), with either kernel, in free space. A sloping
// wire and a wire fed off its centre are not sampled.
TEST(Fill, the_field_sampled_between_wires_gives_every_pair_s_figures) {
    for (const int segments : {7, 41, 161}) {
        Deck deck = beam(segments);
        deck.wires.push_back({9, {1.3, -0.4, 0.}, {1.3, 0.4, 0.3}, 0.004});
        for (const bool extended : {false, true}) {
            deck.extendedKernel = extended;
            const Segments s = scaledTo(buildSegments(deck.wires), 144);
            const Unknowns u = everySegment(s);
            Matrix sampled, every;
            ASSERT_TRUE(fillMatrix(s, u, GroundModel{}, extended, 2, nullptr, sampled, true, true));
            ASSERT_TRUE(fillMatrix(s, u, GroundModel{}, extended, 2, nullptr, every, true, false));
            double worst = 0;
            for (std::size_t c = 0; c < u.count(); ++c) {
                double largest = 0;
                for (std::size_t r = 0; r < u.count(); ++r) {
                    largest = std::max(largest, std::abs(every(r, c)));
                }
                for (std::size_t r = 0; r < u.count(); ++r) {
                    worst = std::max(worst, std::abs(sampled(r, c) - every(r, c)) / largest);
                }
            }
            EXPECT_LT(worst, 1e-8) << segments << extended;
            Options pairByPair;
            pairByPair.sampleAcrossWires = false;
            const FrequencyResult a = solved(deck, Options{});
            const FrequencyResult b = solved(deck, pairByPair);
            EXPECT_NEAR(a.feed.resistance, b.feed.resistance, 1e-7 * std::abs(b.feed.resistance));
            EXPECT_NEAR(a.feed.reactance, b.feed.reactance, 1e-7 * std::abs(b.feed.resistance));
            for (std::size_t p = 0; p < b.patterns[0].size(); ++p) {
                if (b.patterns[0][p].gain > -40) {
                    EXPECT_NEAR(a.patterns[0][p].gain, b.patterns[0][p].gain, 1e-6) << p;
                }
            }
            if (segments == 161) {
                EXPECT_GT(worst, 0);  // sampled, not filled pair by pair
            }
        }
    }
    // Folded about the plane through the feeds, the samples span only the kept half of each
    // wire, read a run of rows at a time; coarse wires take several samples a row. However the
    // rows are shared among threads, the matrix is the same to the last bit.
    for (const int segments : {21, 161}) {
        const Segments s = scaledTo(buildSegments(beam(segments).wires), 144);
        const std::optional<Unknowns> half = mirrorFold(s, {segments / 2});
        ASSERT_TRUE(half);
        Matrix sampled, onTwo, every;
        ASSERT_TRUE(fillMatrix(s, *half, GroundModel{}, true, 1, nullptr, sampled, true, true));
        ASSERT_TRUE(fillMatrix(s, *half, GroundModel{}, true, 2, nullptr, onTwo, true, true));
        ASSERT_TRUE(fillMatrix(s, *half, GroundModel{}, true, 2, nullptr, every, true, false));
        double worst = 0;
        bool alike = true;
        for (std::size_t c = 0; c < half->count(); ++c) {
            double largest = 0;
            for (std::size_t r = 0; r < half->count(); ++r) {
                largest = std::max(largest, std::abs(every(r, c)));
                alike = alike && sampled(r, c) == onTwo(r, c);
            }
            for (std::size_t r = 0; r < half->count(); ++r) {
                worst = std::max(worst, std::abs(sampled(r, c) - every(r, c)) / largest);
            }
        }
        EXPECT_LT(worst, 1e-8) << segments;
        EXPECT_GT(worst, 0) << segments;
        EXPECT_TRUE(alike) << segments;
    }
}

// The solution refined from a single-precision factoring is the double factoring's, to the
// rounding of either; a matrix that single precision cannot tell from a singular one is
// factored in double and solved all the same.
TEST(Solve, refined_from_single_precision_is_the_double_solution) {
    const auto bothWays = [](const Matrix& m, const std::vector<Complex>& b) {
        Matrix a{m.n, std::make_unique<Complex[]>(m.n * m.n)};
        std::copy(m.data(), m.data() + m.n * m.n, a.data());
        std::vector<Complex> refined = b, direct = b;
        EXPECT_EQ(solveRefined(a, refined, nullptr), FactorStatus::Done);
        Matrix c{m.n, std::make_unique<Complex[]>(m.n * m.n)};
        std::copy(m.data(), m.data() + m.n * m.n, c.data());
        LuFactors factors;
        EXPECT_EQ(factor(c, nullptr, factors), FactorStatus::Done);
        solve(factors, direct);
        double largest = 0, apart = 0;
        for (std::size_t i = 0; i < b.size(); ++i) {
            largest = std::max(largest, std::abs(direct[i]));
            apart = std::max(apart, std::abs(refined[i] - direct[i]));
        }
        return apart / largest;
    };
    for (const int segments : {7, 41, 161, 501}) {
        const Deck deck = beam(segments);
        const Segments s = scaledTo(buildSegments(deck.wires), 144);
        const Unknowns u = everySegment(s);
        Matrix m;
        ASSERT_TRUE(fillMatrix(s, u, GroundModel{}, true, 2, nullptr, m));
        std::vector<Complex> b(u.count());
        b[static_cast<std::size_t>(segments / 2)] = {1, 0};
        EXPECT_LT(bothWays(m, b), 1e-10) << segments;
    }
    // Rows one part in 10^9 apart: alike in single precision.
    Matrix close{3, std::make_unique<Complex[]>(9)};
    close(0, 0) = close(0, 1) = close(1, 0) = {1, 0};
    close(1, 1) = {1 + 1e-9, 0};
    close(2, 2) = {0, 1};
    EXPECT_LT(bothWays(close, {{1, 0}, {2, 0}, {3, 0}}), 1e-6);
    std::vector<Complex> x = {{1, 0}, {2, 0}, {3, 0}};
    Matrix copy{3, std::make_unique<Complex[]>(9)};
    std::copy(close.data(), close.data() + 9, copy.data());
    ASSERT_EQ(solveRefined(copy, x, nullptr), FactorStatus::Done);
    const double across = 1 / (close(1, 1).real() - 1);  // (2 - 1) over the rows' difference
    EXPECT_NEAR(x[1].real(), across, 1e-6 * across);
    EXPECT_NEAR(x[2].imag(), -3, 1e-12);
    // An entry beyond single precision's range: its factoring has no finite solution.
    Matrix huge{2, std::make_unique<Complex[]>(4)};
    huge(0, 0) = huge(1, 0) = huge(1, 1) = {1, 0};
    huge(0, 1) = {1e39, 0};
    std::vector<Complex> y = {{1, 0}, {2, 0}};
    ASSERT_EQ(solveRefined(huge, y, nullptr), FactorStatus::Done);
    EXPECT_NEAR(y[0].real(), 2, 1e-12);
    EXPECT_NEAR(y[1].real() * 1e39, -1, 1e-12);

    // Through the engine, folded about the feed, with and without it: the same figures.
    Options doubleOnly;
    doubleOnly.singlePrecision = false;
    const FrequencyResult a = solved(beam(41), Options{});
    const FrequencyResult d = solved(beam(41), doubleOnly);
    EXPECT_NEAR(a.feed.resistance, d.feed.resistance, 1e-9 * std::abs(d.feed.resistance));
    EXPECT_NEAR(a.feed.reactance, d.feed.reactance, 1e-9 * std::abs(d.feed.resistance));
    EXPECT_NEAR(a.patterns[0][0].gain, d.patterns[0][0].gain, 1e-9);
}

// Along an evenly cut wire the far field turns each segment's phase on from its neighbour's;
// segments whose lengths differ by a bit start runs of their own and are computed directly:
// the two agree to a part in 10^10, in every direction, in free space and over a ground.
TEST(FarField, phases_turned_on_along_a_wire_are_the_direct_ones) {
    Deck deck = beam(161);
    deck.wires.push_back({9, {1.3, -0.4, 0.}, {1.3, 0.4, 0.3}, 0.004});
    const Segments s = scaledTo(buildSegments(deck.wires), 144);
    SegmentCurrents c;
    for (int i = 0; i < s.n; ++i) {
        c.a.push_back({std::cos(0.1 * i), std::sin(0.3 * i)});
        c.b.push_back({0.2 * std::sin(0.2 * i), 0.1});
        c.c.push_back({0.3, std::cos(0.05 * i)});
    }
    Segments broken = s;
    for (std::size_t i = 1; i < broken.si.size(); i += 2) {
        broken.si[i] = std::nextafter(broken.si[i], 1.0);
    }
    GroundModel perfect;
    perfect.ksymp = 2;
    for (const GroundModel& ground : {GroundModel{}, perfect}) {
        for (double theta = 0.1; theta < 3.1; theta += 0.37) {
            for (double phi = 0; phi < 6.3; phi += 0.29) {
                const FarField a = farField(s, c, ground, theta, phi);
                const FarField b = farField(broken, c, ground, theta, phi);
                const double size = std::abs(b.eTheta) + std::abs(b.ePhi);
                EXPECT_LT(std::abs(a.eTheta - b.eTheta), 1e-10 * size);
                EXPECT_LT(std::abs(a.ePhi - b.ePhi), 1e-10 * size);
            }
        }
    }
}

// Sommerfeld's attenuation function against its closed form 1 - j sqrt(pi p) exp(-p)
// erfc(j sqrt(p)), erfc integrated numerically from its argument out along the real axis;
// numerical distances on both sides of the switch from the series to the asymptotic form.
TEST(Sommerfeld, the_attenuation_function_is_its_closed_form) {
    const auto erfc = [](Complex zeta) {
        const double span = std::abs(zeta.real()) + 10;
        const int steps = 20000;  // Simpson's rule, even
        const double h = span / steps;
        Complex sum;
        for (int k = 0; k <= steps; ++k) {
            const Complex t = zeta + h * k;
            const double weight = k == 0 || k == steps ? 1 : (k % 2 == 1 ? 4 : 2);
            sum += weight * std::exp(-t * t);
        }
        return sum * h / 3. * 2. / std::sqrt(std::numbers::pi);
    };
    const Complex j(0, 1);
    for (const Complex p : {Complex(0.01, 0.02), Complex(0.5, 0.3), Complex(2, 2), Complex(0, 6),
                            Complex(8.5, 1), Complex(20, 5), Complex(3, 40)}) {
        const Complex root = std::sqrt(p);
        const Complex want =
            1. - j * std::sqrt(std::numbers::pi) * root * std::exp(-p) * erfc(j * root);
        EXPECT_LT(std::abs(sommerfeldAttenuation(p) - want), 1e-4 * std::max(1., std::abs(want)))
            << p << ": " << sommerfeldAttenuation(p) << " against " << want;
    }
}

TEST(Engine, a_raised_stop_flag_ends_a_long_solve_at_once) {
    // No symmetry to fold and 1500 unknowns: over two million field evaluations, a second's
    // work undisturbed on a fast machine.
    Deck deck = beam(501);
    deck.source.at.segment = 100;
    std::atomic<bool> stop{false};
    Options options;
    options.stop = &stop;
    std::variant<FrequencyResult, Error> result;
    std::chrono::steady_clock::time_point raised;
    std::thread solver([&] { result = solveFrequency(deck, 0, options); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    raised = std::chrono::steady_clock::now();
    stop = true;
    solver.join();
    const auto waited = std::chrono::steady_clock::now() - raised;
    ASSERT_TRUE(std::holds_alternative<Error>(result));
    EXPECT_EQ(std::get<Error>(result).fault, Fault::Stopped);
    // It looks between slices of a few milliseconds; the margin is for sanitizer builds on a
    // busy machine, where even freeing the matrix takes a good part of a second.
    EXPECT_LT(waited, std::chrono::seconds(2));
}

TEST(Engine, decks_too_large_or_malformed_are_refused_before_solving) {
    const auto fault = [](const Deck& deck) {
        const auto checked = check(deck);
        return std::holds_alternative<Error>(checked) ? std::get<Error>(checked).fault
                                                      : Fault::Stopped;  // "accepted"
    };
    EXPECT_EQ(fault(beam(11)), Fault::Stopped);
    Deck huge = beam(11);
    huge.wires[0].segments = 1000000;  // would need terabytes
    EXPECT_EQ(fault(huge), Fault::TooLarge);
    Deck many = beam(11);
    for (int i = 0; i < 800; ++i)
        many.wires.push_back({11, {i + 2.0, -1, 0}, {i + 2.0, 1, 0}, 0.001});
    EXPECT_EQ(fault(many), Fault::TooLarge);
    EXPECT_EQ(fault(Deck{}), Fault::NoWires);
    Deck thin = beam(11);
    thin.wires[1].radius = 0;
    EXPECT_EQ(fault(thin), Fault::BadWire);
    Deck point = beam(11);
    point.wires[2].end2 = point.wires[2].end1;
    EXPECT_EQ(fault(point), Fault::BadWire);
    Deck nan = beam(11);
    nan.wires[0].end1.x = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(fault(nan), Fault::BadWire);
    Deck nowhere = beam(11);
    nowhere.source.at = {1, 11};
    EXPECT_EQ(fault(nowhere), Fault::BadSource);
    Deck negative = beam(11);
    negative.steps[0].frequency = -144;
    EXPECT_EQ(fault(negative), Fault::BadFrequency);
    Deck silent = beam(11);
    silent.source.voltage = 0;
    EXPECT_EQ(fault(silent), Fault::BadSource);
    Deck line = beam(11);
    line.lines.push_back({{0, 5}, {7, 0}, 300, 1, {}, {}});
    EXPECT_EQ(fault(line), Fault::BadLine);
    Deck crossed = beam(11);
    crossed.lines.push_back({{0, 5}, {2, 0}, -300, 1, {}, {}});  // nec2c's crossed line
    EXPECT_EQ(fault(crossed), Fault::BadLine);
    Deck ground = beam(11);
    ground.ground = Ground{false, 13, -0.005};
    EXPECT_EQ(fault(ground), Fault::BadGround);

    // solve() says the same, and nothing is solved.
    const auto refused = solve(huge, Options{});
    ASSERT_TRUE(std::holds_alternative<Error>(refused));
    EXPECT_EQ(std::get<Error>(refused).fault, Fault::TooLarge);
}

TEST(Engine, solves_on_many_threads_at_once_agree_with_one_alone) {
    const Deck deck = beam(31);
    const FrequencyResult alone = solved(deck, Options{});
    std::vector<FrequencyResult> together(4);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < together.size(); ++i) {
            threads.emplace_back([&, i] {
                Options options;
                options.threads = 2;  // each with helpers of its own for the fill
                together[i] = std::get<FrequencyResult>(solveFrequency(deck, 0, options));
            });
        }
    }
    for (const FrequencyResult& r : together) {
        EXPECT_DOUBLE_EQ(r.feed.resistance, alone.feed.resistance);
        EXPECT_DOUBLE_EQ(r.feed.reactance, alone.feed.reactance);
        EXPECT_DOUBLE_EQ(r.patterns[0][0].gain, alone.patterns[0][0].gain);
    }
}

TEST(Cards, every_card_fits_nec2cs_line_and_a_step_without_cuts_is_run) {
    Deck deck = beam(11);
    deck.wires[0].end1 = {-0.000123456789012345, -0.500000000000123, 0.000987654321098765};
    deck.wires[0].radius = 0.00123456789012345;
    deck.steps.push_back({144.000000001234, {}});
    const std::string cards = toCards(deck);
    std::size_t start = 0;
    while (start < cards.size()) {
        const std::size_t end = cards.find('\n', start);
        EXPECT_LE(end - start, 132u) << cards.substr(start, end - start);
        start = end + 1;
    }
    EXPECT_NE(cards.find("GW 1 11 -0.000123456"), std::string::npos) << cards;
    EXPECT_NE(cards.find("FR 0 1 0 0 144.000000001 0\nXQ\n"), std::string::npos) << cards;
}

TEST(Engine, power_gain_of_a_known_field) {
    // 1 V into 50 ohms (10 mW): a field of 1 V·m/m at 299.8 MHz (a wavelength of one metre)
    // is a power gain of 2π / (376.73 · 0.01).
    EXPECT_NEAR(powerGain(0, {1, 0}, 299.8, 0.01),
                10 * std::log10(2 * 3.141592654 / (376.73 * 0.01)), 1e-12);
    EXPECT_DOUBLE_EQ(powerGain(0, 0, 144, 0.01), -999.99);
}

}  // namespace
}  // namespace zeva::nec
