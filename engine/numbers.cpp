#include "engine/numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

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

std::string format(double value, int precision, const NumberFormat& numberFormat) {
    if (value == 0.0) return "0";
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

std::string_view describe(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::TypeMismatch:
            return "类型不匹配";
        case ErrorKind::Overflow:
            return "溢出";
        case ErrorKind::DivisionByZero:
            return "除数为零";
        case ErrorKind::InvalidOperation:
            return "无效的运算";
        case ErrorKind::FrequencyNotPositive:
            return "频率必须大于零";
        case ErrorKind::ResultNotDisplayable:
            return "结果超出显示范围";
    }
    return "未知错误";
}

}  // namespace zeva
