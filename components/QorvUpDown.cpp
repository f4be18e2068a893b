#include "components/QorvUpDown.h"

#include <charconv>
#include <cmath>

#include "framework/SysUtils.h"

namespace {

// 18 significant digits, as the run-time library converts an extended value:
// a double widened to extended is exact, so these are its leading digits.
constexpr int kSignificant = 18;
constexpr int kMaxDecimals = 18;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The integer digits with `separator` between the groups `grouping` names.
std::string GroupDigits(const std::string& digits, const std::string& separator,
                        const std::vector<int>& grouping) {
    if (separator.empty() || grouping.empty())
        return digits;
    std::vector<size_t> cuts; // group lengths from the right
    size_t left = digits.size();
    size_t index = 0;
    int size = 0;
    while (left > 0) {
        if (index < grouping.size()) {
            const int next = grouping[index++];
            if (next == 0) {
                if (size == 0)
                    break; // "0" alone: no grouping
                // a final 0 repeats the size before it
                index = grouping.size() + 1;
            } else {
                size = next;
            }
        } else if (index == grouping.size()) {
            break; // sizes used up without a final 0: the rest is one group
        }
        if (size <= 0 || static_cast<size_t>(size) >= left)
            break;
        cuts.push_back(static_cast<size_t>(size));
        left -= static_cast<size_t>(size);
    }
    std::string out = digits.substr(0, left);
    size_t pos = left;
    for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
        out += separator;
        out += digits.substr(pos, *it);
        pos += *it;
    }
    return out;
}

// Splits |value| into its 18 leading decimal digits and the count of digits
// before the decimal point (which may be 0 or negative for small values).
void DecimalDigits(double value, std::string& digits, int& pointAt) {
    if (value == 0) {
        digits = "0";
        pointAt = 1;
        return;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, kSignificant - 1);
    const std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    digits.clear();
    for (size_t i = 0; i < e; ++i)
        if (IsDigit(text[i]))
            digits += text[i];
    pointAt = std::stoi(text.substr(e + 1)) + 1;
}

// Rounds the digit string to `keep` digits, half away from zero; a carry out
// of the first digit moves the decimal point.
void RoundDigits(std::string& digits, int& pointAt, int keep) {
    if (keep >= static_cast<int>(digits.size()))
        return;
    if (keep < 0) {
        digits = "0";
        pointAt = 1;
        return;
    }
    const bool up = digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0; --i) {
            if (digits[static_cast<size_t>(i)] != '9') {
                ++digits[static_cast<size_t>(i)];
                break;
            }
            digits[static_cast<size_t>(i)] = '0';
        }
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            ++pointAt;
        }
    }
    if (digits.empty() || digits.find_first_not_of('0') == std::string::npos) {
        digits = "0";
        pointAt = 1;
    }
}

// Too many integer digits for the precision: the library's general form.
std::string ScientificText(bool negative, std::string digits, int pointAt,
                           const TQorvNumberLocale& locale) {
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = negative ? "-" : "";
    out += digits[0];
    if (digits.size() > 1)
        out += locale.DecimalSeparator + digits.substr(1);
    const int exponent = pointAt - 1;
    out += exponent < 0 ? "E-" : "E+";
    out += std::to_string(std::abs(exponent));
    return out;
}

std::string FixedText(double value, int decimals, bool grouped, const TQorvNumberLocale& locale) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    const bool negative = std::signbit(value);
    std::string digits;
    int pointAt = 0;
    DecimalDigits(value, digits, pointAt);
    if (pointAt > kSignificant)
        return ScientificText(negative, digits, pointAt, locale);
    RoundDigits(digits, pointAt, pointAt + decimals);
    const bool zero = digits == "0";

    std::string integer;
    for (int i = 0; i < pointAt; ++i)
        integer += i < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(i)] : '0';
    if (integer.empty())
        integer.push_back('0');
    std::string fraction;
    for (int i = pointAt; i < pointAt + decimals; ++i)
        fraction +=
            i >= 0 && i < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(i)] : '0';
    if (grouped)
        integer = GroupDigits(integer, locale.ThousandSeparator, locale.Grouping);
    std::string out = negative && !zero ? "-" : "";
    out += integer;
    if (decimals > 0)
        out += locale.DecimalSeparator + fraction;
    return out;
}

bool StartsWith(const std::string& text, size_t pos, const std::string& part) {
    return !part.empty() && text.compare(pos, part.size(), part) == 0;
}

} // namespace

std::string QorvUpDownFormat(TQorvUpDownDecimals decimals, bool thousands) {
    const char letter = thousands ? 'n' : 'f';
    if (decimals == -1)
        return std::string("%") + letter;
    return "%." + std::to_string(decimals) + letter;
}

std::string QorvFormatNumber(const std::string& format, double value,
                             const TQorvNumberLocale& locale) {
    // "%" ["." digits] ("f" | "n")
    int decimals = 2;
    size_t pos = 1;
    bool valid = format.size() >= 2 && format[0] == '%';
    if (valid && format[pos] == '.') {
        ++pos;
        const size_t start = pos;
        while (pos < format.size() && IsDigit(format[pos]) && pos - start < 3)
            ++pos;
        valid = pos > start;
        if (valid)
            decimals = std::min(std::stoi(format.substr(start, pos - start)), kMaxDecimals);
    }
    valid = valid && pos + 1 == format.size() && (format[pos] == 'f' || format[pos] == 'n');
    if (!valid)
        throw EConvertError("Format '" + format + "' is not a number format");
    return FixedText(value, decimals, format[pos] == 'n', locale);
}

std::string QorvLocaliseNumber(const std::string& text, const TQorvNumberLocale& locale) {
    const size_t point = text.find('.');
    if (point == std::string::npos)
        return text;
    return text.substr(0, point) + locale.DecimalSeparator + text.substr(point + 1);
}

bool QorvTextToFloat(const std::string& text, const TQorvNumberLocale& locale, double& value) {
    size_t pos = 0;
    const size_t end = text.find_last_not_of(' ') + 1; // npos + 1 == 0 for all blanks
    while (pos < end && text[pos] == ' ')
        ++pos;
    // Rebuilt in the C locale's spelling for the conversion.
    std::string plain;
    if (pos < end && (text[pos] == '+' || text[pos] == '-'))
        plain += text[pos++] == '-' ? "-" : "";
    size_t mantissa = 0;
    long long pointShift = 0; // digits before the point, for telling overflow from underflow
    for (; pos < end && IsDigit(text[pos]); ++pos, ++mantissa, ++pointShift)
        plain += text[pos];
    if (pos < end && StartsWith(text, pos, locale.DecimalSeparator)) {
        pos += locale.DecimalSeparator.size();
        plain += '.';
        for (; pos < end && IsDigit(text[pos]); ++pos, ++mantissa)
            plain += text[pos];
    }
    if (mantissa == 0)
        return false;
    long long exponent = 0;
    if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
        plain += 'e';
        ++pos;
        if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
            if (text[pos] == '-')
                plain += '-';
            ++pos;
        }
        const size_t start = pos;
        for (; pos < end && IsDigit(text[pos]); ++pos) {
            plain += text[pos];
            if (exponent < 100000)
                exponent = exponent * 10 + (text[pos] - '0');
        }
        if (pos == start)
            return false;
        if (plain[plain.find('e') + 1] == '-')
            exponent = -exponent;
    }
    if (pos != end)
        return false;
    double result = 0;
    const auto [ptr, err] = std::from_chars(plain.data(), plain.data() + plain.size(), result);
    if (ptr != plain.data() + plain.size())
        return false;
    if (err == std::errc::result_out_of_range) {
        if (pointShift + exponent > 0)
            return false; // too large for a double
        result = 0;       // too small: it reads as zero
    } else if (err != std::errc()) {
        return false;
    }
    value = result;
    return true;
}

bool QorvReadNumber(const std::string& text, const TQorvNumberLocale& locale, double& value) {
    std::string plain;
    for (size_t pos = 0; pos < text.size();) {
        if (StartsWith(text, pos, locale.ThousandSeparator)) {
            pos += locale.ThousandSeparator.size();
            continue;
        }
        if (text[pos] != ' ')
            plain += text[pos];
        ++pos;
    }
    return QorvTextToFloat(plain, locale, value);
}

// ----------------------------------------------------- TQorvUpDownSettings

void TQorvUpDownSettings::SetDecimals(int value) {
    if (value < -1 || value > kMaxDecimals)
        throw ERangeError("Decimals must lie between -1 and 18, not " + std::to_string(value));
    Decimals = static_cast<TQorvUpDownDecimals>(value);
}

void TQorvUpDownSettings::SetRange(double a, double b) {
    Min = std::min(a, b);
    Max = std::max(a, b);
}

// -------------------------------------------------------- TQorvUpDownValue

TQorvUpDownValue::TQorvUpDownValue(TObject* sender) : FSender(sender) {}

const TQorvNumberLocale& TQorvUpDownValue::NumberLocale() const {
    static const TQorvNumberLocale plain;
    return plain;
}

double TQorvUpDownValue::Position() const {
    double value = 0;
    if (AssociateHasText() && QorvReadNumber(AssociateText(), NumberLocale(), value))
        return value;
    return FPosition;
}

void TQorvUpDownValue::SetPosition(double value) {
    if (value != FPosition)
        ChangePosition(value);
    else
        UpdateText();
}

void TQorvUpDownValue::ChangePosition(double x) {
    double next = x;
    bool allow = true;
    const TQorvUpDownSettings& s = FSettings;
    if (s.Min != 0 || s.Max != 0) {
        if (next > s.Max)
            next = s.Wrap ? s.Min : s.Max;
        else if (next < s.Min)
            next = s.Wrap ? s.Max : s.Min;
    }
    if (FOnChanging)
        FOnChanging(FSender, allow, next);
    if (allow) {
        FPosition = next;
        UpdateText();
    }
}

void TQorvUpDownValue::SetMin(double value) {
    if (value != FSettings.Min)
        SetRange(FSettings.Max, value);
}

void TQorvUpDownValue::SetMax(double value) {
    if (value != FSettings.Max)
        SetRange(value, FSettings.Min);
}

void TQorvUpDownValue::SetRange(double a, double b) {
    FSettings.SetRange(a, b);
    ClampPosition();
}

void TQorvUpDownValue::ClampPosition() {
    if (FPosition < FSettings.Min)
        FPosition = FSettings.Min;
    else if (FPosition > FSettings.Max)
        FPosition = FSettings.Max;
}

void TQorvUpDownValue::SetDecimals(int value) {
    const TQorvUpDownDecimals old = FSettings.Decimals;
    FSettings.SetDecimals(value);
    if (FSettings.Decimals != old)
        UpdateFormat();
}

void TQorvUpDownValue::SetThousands(bool value) {
    if (value != FSettings.Thousands) {
        FSettings.Thousands = value;
        UpdateFormat();
    }
}

void TQorvUpDownValue::SetSettings(const TQorvUpDownSettings& settings) {
    FSettings = settings;
    ClampPosition();
    UpdateFormat();
}

void TQorvUpDownValue::UpdateFormat() {
    FFormat = QorvUpDownFormat(FSettings.Decimals, FSettings.Thousands);
    UpdateText();
}

void TQorvUpDownValue::Step(double steps) {
    SetPosition(Position() + steps * FSettings.Increment);
}

std::string TQorvUpDownValue::FormattedText() const {
    if (FOnFormatValue) {
        std::string result;
        FOnFormatValue(FSender, FPosition, result);
        return result;
    }
    return QorvFormatNumber(FFormat, FPosition, NumberLocale());
}

void TQorvUpDownValue::UpdateText() {
    if (AssociateHasText())
        SetAssociateText(FormattedText());
}
