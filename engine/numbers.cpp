// SPDX-License-Identifier: MIT
#include "engine/numbers.h"

#include "i18n/catalogue.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

namespace zeva {
namespace {

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool isBlank(char ch) { return ch == ' ' || ch == '\t'; }

// A text that passed the grammar, rewritten as std::from_chars reads it: digits, ".",
// digits, "e", an optional "-", digits; the sign kept apart.
struct Normalised {
    bool negative = false;
    std::string body;
    // Decimal exponent of the first significant digit (for 1234 it is 3, for 0.05 it is -2),
    // saturated; meaningless when every digit is zero.
    long magnitude = 0;
};

class Scanner {
public:
    Scanner(std::string_view text, const NumberFormat& format)
        : text_(text),
          decimal_(format.decimal),
          grouping_(format.grouping == format.decimal ? std::string_view{} : format.grouping) {}

    bool scan(Normalised& out) {
        skipBlanks();
        if (at('+')) {
            ++pos_;
        } else if (at('-')) {
            out.negative = true;
            ++pos_;
        }
        long integerDigits = 0;
        if (!scanInteger(out.body, integerDigits)) return false;
        long fractionDigits = 0;
        if (!decimal_.empty() && text_.substr(pos_).starts_with(decimal_)) {
            pos_ += decimal_.size();
            out.body += '.';
            while (pos_ < text_.size() && isDigit(text_[pos_])) {
                out.body += text_[pos_++];
                ++fractionDigits;
            }
        }
        if (integerDigits + fractionDigits == 0) return false;
        long exponent = 0;
        if (at('e') || at('E')) {
            ++pos_;
            if (!scanExponent(out.body, exponent)) return false;
        }
        skipBlanks();
        if (pos_ != text_.size()) return false;
        out.magnitude = magnitudeOf(out.body, integerDigits, exponent);
        return true;
    }

private:
    bool at(char ch) const { return pos_ < text_.size() && text_[pos_] == ch; }
    // A grouping separator counts only between digits, so that a blank grouping does not
    // swallow the blanks after a number.
    bool groupingFollows(long digitsSoFar) const {
        const std::size_t next = pos_ + grouping_.size();
        return !grouping_.empty() && digitsSoFar > 0 && next < text_.size() &&
               isDigit(text_[next]) && text_.substr(pos_).starts_with(grouping_);
    }
    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }

    // Digits, with grouping separators only between complete groups of three.
    bool scanInteger(std::string& body, long& count) {
        long groupLength = 0;
        bool grouped = false;
        for (;;) {
            if (pos_ < text_.size() && isDigit(text_[pos_])) {
                body += text_[pos_++];
                ++count;
                ++groupLength;
            } else if (groupingFollows(count)) {
                if (grouped ? groupLength != 3 : groupLength > 3) return false;
                pos_ += grouping_.size();
                grouped = true;
                groupLength = 0;
            } else {
                break;
            }
        }
        return !grouped || groupLength == 3;
    }

    bool scanExponent(std::string& body, long& exponent) {
        bool negative = false;
        if (at('+')) {
            ++pos_;
        } else if (at('-')) {
            negative = true;
            ++pos_;
        }
        const std::size_t first = pos_;
        while (pos_ < text_.size() && isDigit(text_[pos_])) {
            // Saturate: any exponent beyond this already decides overflow or underflow.
            if (exponent < 1'000'000'000L) exponent = exponent * 10 + (text_[pos_] - '0');
            ++pos_;
        }
        if (pos_ == first) return false;
        body += 'e';
        if (negative) body += '-';
        body.append(text_.substr(first, pos_ - first));
        if (negative) exponent = -exponent;
        return true;
    }

    static long magnitudeOf(const std::string& body, long integerDigits, long exponent) {
        long position = integerDigits - 1;
        for (const char ch : body) {
            if (ch == 'e') break;
            if (ch == '.') continue;
            if (ch != '0') return position + exponent;
            --position;
        }
        return 0;
    }

    std::string_view text_;
    std::string_view decimal_;
    std::string_view grouping_;
    std::size_t pos_ = 0;
};

template <class T>
Result<T> parse(std::string_view text, const NumberFormat& format) {
    Normalised number;
    if (!Scanner(text, format).scan(number)) return Error{ErrorKind::TypeMismatch};
    T value{};
    const char* first = number.body.data();
    const char* last = first + number.body.size();
    const auto [end, status] = std::from_chars(first, last, value, std::chars_format::general);
    if (end != last) return Error{ErrorKind::TypeMismatch};
    if (status == std::errc::result_out_of_range) {
        // from_chars says the same for both ends of the range; the magnitude tells them apart.
        if (number.magnitude >= 0) return Error{ErrorKind::Overflow};
        value = T{0};
    } else if (status != std::errc{}) {
        return Error{ErrorKind::TypeMismatch};
    }
    return number.negative ? -value : value;
}

// The same text as C's "%.*G" with the exponent's "e" upper-cased: the significant digits
// without trailing zeros, fixed notation for decimal exponents from -4 to precision - 1.
std::string spelled(std::uint64_t digits, int exponent, int precision, bool negative,
                    const NumberFormat& numberFormat) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    std::array<char, 20> figures;
    std::size_t end = static_cast<std::size_t>(precision);
    for (; end >= 2; end -= 2, digits /= 100) {
        const std::size_t pair = static_cast<std::size_t>(digits % 100) * 2;
        figures[end - 2] = kPairs[pair];
        figures[end - 1] = kPairs[pair + 1];
    }
    if (end == 1) figures[0] = static_cast<char>('0' + digits);
    std::size_t count = static_cast<std::size_t>(precision);
    while (count > 1 && figures[count - 1] == '0') --count;

    const std::string_view decimal = numberFormat.decimal;
    std::array<char, 48> buffer;
    char* out = buffer.data();
    const auto put = [&out](std::string_view part) {
        out = std::copy(part.begin(), part.end(), out);
    };
    const auto zeros = [&out](std::size_t n) { out = std::fill_n(out, n, '0'); };
    const std::string_view significant(figures.data(), count);
    if (negative) *out++ = '-';
    if (exponent >= -4 && exponent < precision) {
        if (exponent < 0) {
            *out++ = '0';
            put(decimal);
            zeros(static_cast<std::size_t>(-exponent - 1));
            put(significant);
        } else if (const auto whole = static_cast<std::size_t>(exponent) + 1; count <= whole) {
            put(significant);
            zeros(whole - count);
        } else {
            put(significant.substr(0, whole));
            put(decimal);
            put(significant.substr(whole));
        }
    } else {
        *out++ = significant[0];
        if (count > 1) {
            put(decimal);
            put(significant.substr(1));
        }
        *out++ = 'E';
        *out++ = exponent < 0 ? '-' : '+';
        const int size = exponent < 0 ? -exponent : exponent;
        if (size >= 100) *out++ = static_cast<char>('0' + size / 100);
        *out++ = static_cast<char>('0' + size / 10 % 10);
        *out++ = static_cast<char>('0' + size % 10);
    }
    return std::string(buffer.data(), out);
}

// a × b as an exact sum of the rounded product and its error (Dekker's two-product, which
// needs every step rounded on its own: the build forbids fused multiply-adds).
struct ExactProduct {
    double product;
    double error;
};

ExactProduct multiplyExactly(double a, double b) {
    const auto split = [](double value) {
        const double scaled = 134217729.0 * value;  // 2^27 + 1
        const double high = scaled - (scaled - value);
        return std::pair{high, value - high};
    };
    const double product = a * b;
    const auto [aHigh, aLow] = split(a);
    const auto [bHigh, bLow] = split(b);
    const double error = ((aHigh * bHigh - product) + aHigh * bLow + aLow * bHigh) + aLow * bLow;
    return {product, error};
}

// The significant digits of a magnitude, rounded to nearest, from one multiplication or
// division by an exact power of ten. A product's error is known exactly, so only a true
// halfway case is left undecided; a quotient is off by at most half a unit in its last
// place, so its rounding is certain unless the fraction lies within that of one half. The
// undecided cases, and magnitudes that would need an inexact power, go to the exact path.
bool roundedDigits(double magnitude, int precision, std::uint64_t& digits, int& exponent) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr int kLargestPower = 22;
    constexpr double kLog10Of2 = 0.30102999566398120;
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int binaryExponent = static_cast<int>(bits >> 52) - 1023;
    // The decimal exponent from the binary one is right or one too small: try both.
    exponent = static_cast<int>(std::floor(binaryExponent * kLog10Of2));
    int shift = precision - 1 - exponent;
    const auto scale = [&magnitude](int by) {
        return by >= 0 ? multiplyExactly(magnitude, kPowers[by])
                       : ExactProduct{magnitude / kPowers[-by], 0.0};
    };
    if (shift < -kLargestPower + 1 || shift > kLargestPower) return false;
    ExactProduct scaled = scale(shift);
    if (scaled.product >= kPowers[precision]) {
        ++exponent;
        scaled = scale(--shift);
    }
    if (scaled.product < kPowers[precision - 1] || scaled.product >= kPowers[precision]) {
        return false;
    }

    const double whole = std::floor(scaled.product);
    const double aboveHalf = (scaled.product - whole) - 0.5;  // both steps exact
    bool roundUp = false;
    if (shift >= 0) {
        // The true fraction less one half is aboveHalf + error: only its sign counts.
        if (aboveHalf == -scaled.error) return false;
        roundUp = aboveHalf > -scaled.error;
    } else {
        const auto productBits = std::bit_cast<std::uint64_t>(scaled.product);
        const double halfUnit =
            std::bit_cast<double>((productBits & 0x7ff0000000000000u) - (std::uint64_t{53} << 52));
        if (std::fabs(aboveHalf) <= halfUnit) return false;
        roundUp = aboveHalf > 0;
    }
    digits = static_cast<std::uint64_t>(whole) + (roundUp ? 1 : 0);
    if (digits == static_cast<std::uint64_t>(kPowers[precision])) {
        digits /= 10;
        ++exponent;
    }
    return true;
}

std::string format(double value, int precision, const NumberFormat& numberFormat) {
    if (value == 0.0) return "0";
    std::uint64_t digits = 0;
    int exponent = 0;
    if (std::isfinite(value) && roundedDigits(std::fabs(value), precision, digits, exponent)) {
        return spelled(digits, exponent, precision, value < 0, numberFormat);
    }
    std::array<char, 32> buffer;  // the longest text, -1.23456789012346E-308, has 22
    const auto [end, status] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                             std::chars_format::general, precision);
    if (status != std::errc{}) return {};
    std::string text(buffer.data(), end);
    if (const std::size_t e = text.find('e'); e != std::string::npos) text[e] = 'E';
    if (const std::size_t point = text.find('.'); point != std::string::npos) {
        text.replace(point, 1, numberFormat.decimal);
    }
    return text;
}

}  // namespace

Result<float> parseSingle(std::string_view text, const NumberFormat& format) {
    return parse<float>(text, format);
}

Result<double> parseDouble(std::string_view text, const NumberFormat& format) {
    return parse<double>(text, format);
}

std::string formatSingle(float value, const NumberFormat& numberFormat) {
    return format(static_cast<double>(value), 7, numberFormat);
}

std::string formatDouble(double value, const NumberFormat& numberFormat) {
    return format(value, 15, numberFormat);
}

float integerPart(float value) { return std::floor(value); }
double integerPart(double value) { return std::floor(value); }

const char* describe(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::TypeMismatch:
            return N_("not a number");
        case ErrorKind::Overflow:
            return N_("overflow");
        case ErrorKind::DivisionByZero:
            return N_("division by zero");
        case ErrorKind::InvalidOperation:
            return N_("invalid operation");
        case ErrorKind::FrequencyNotPositive:
            return N_("the frequency must be above zero");
        case ErrorKind::ResultNotDisplayable:
            return N_("a figure too large to show");
    }
    return N_("error");
}

}  // namespace zeva
