// SPDX-License-Identifier: MIT
// The readers of what users and other programs hand in: a Touchstone sweep, a geometry file,
// the command line and nec2c's printed output. Whatever the bytes, each reads them or says
// why not, and what it reads is what the program after it may take: finite figures, in
// order, within the limits it states.
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/geometry.h"
#include "analysis/nec_output.h"
#include "analysis/touchstone.h"
#include "cli/options.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using namespace zeva;

void readSweep(std::string_view text) {
    const auto read = analysis::readTouchstone(text, Language::English);
    const auto* m = std::get_if<analysis::Measurement>(&read);
    if (m == nullptr) return;
    if (!(m->reference >= analysis::kLeastReference && m->reference <= analysis::kMostReference)) {
        fuzz::fail("a reference outside the limits", text);
    }
    if (m->points.size() < 2) fuzz::fail("a sweep of fewer than two points", text);
    double last = 0;
    for (const analysis::MeasuredPoint& p : m->points) {
        if (!std::isfinite(p.frequency) || !(p.frequency > last)) {
            fuzz::fail("a frequency not finite or not rising", text);
        }
        last = p.frequency;
        if (!(std::abs(p.reflection) <= analysis::kMaxReflection) ||
            !std::isfinite(p.impedance.real()) || !std::isfinite(p.impedance.imag())) {
            fuzz::fail("a reflection beyond the limit or an impedance not finite", text);
        }
    }
}

void readAntenna(std::string_view text) {
    const auto read = analysis::readGeometry(text, Language::English);
    const auto* a = std::get_if<analysis::Antenna>(&read);
    if (a == nullptr) return;
    if (!std::isfinite(a->frequency) || !(a->frequency > 0)) {
        fuzz::fail("a frequency not finite or not above zero", text);
    }
    if (a->elements.empty() || a->driven >= a->elements.size()) {
        fuzz::fail("no elements, or the driven one outside them", text);
    }
    for (const analysis::Element& e : a->elements) {
        if (!std::isfinite(e.length) || !(e.length > 0) || !std::isfinite(e.diameter) ||
            !(e.diameter > 0) || !std::isfinite(e.position)) {
            fuzz::fail("an element's figure not finite or not above zero", text);
        }
        for (const char c : e.name) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 || u == 0x7f) fuzz::fail("a control character in a name", text);
        }
    }
    // What is read writes back and reads again the same.
    const auto again = analysis::readGeometry(analysis::geometryJson(*a, 0), Language::English);
    const auto* b = std::get_if<analysis::Antenna>(&again);
    if (b == nullptr || b->elements.size() != a->elements.size() || b->driven != a->driven) {
        fuzz::fail("the geometry written back does not read again", text);
    }
}

void readCommandLine(std::string_view text) {
    std::vector<std::string_view> arguments;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        arguments.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    const auto parsed = sheet::parseOptions(arguments, Language::English);
    const auto* o = std::get_if<sheet::SheetOptions>(&parsed);
    if (o == nullptr || o->help || o->version) return;
    if (o->placement && (!std::isfinite(o->placement->height) || !(o->placement->height > 0) ||
                         !(o->placement->ground.perfect ||
                           o->placement->ground.conductivity >= analysis::kLeastConductivity))) {
        fuzz::fail("a placement that is no height or no ground", text);
    }
    if (!(o->timeLimit > 0)) fuzz::fail("a time limit not above zero", text);
}

void readNecOutput(std::string_view text) {
    const auto read = analysis::parseNecOutput(text);
    const auto* results = std::get_if<std::vector<analysis::FrequencyResult>>(&read);
    if (results == nullptr) return;
    for (const analysis::FrequencyResult& r : *results) {
        if (r.hasFeed && (!std::isfinite(r.feed.resistance) || !std::isfinite(r.feed.reactance))) {
            fuzz::fail("a feed impedance not finite", text);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput input = fuzz::split(data, size, 1);
    const std::string_view text = input.texts[0];
    switch (input.choice % 4) {
        case 0:
            readSweep(text);
            break;
        case 1:
            readAntenna(text);
            break;
        case 2:
            readCommandLine(text);
            break;
        default:
            readNecOutput(text);
            break;
    }
    return 0;
}
