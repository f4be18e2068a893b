// The up-down button's value rules, free of any window: its types and events,
// the text format ("%n", "%.0f"...) with the locale's separators, reading a
// number back from the associate's text, and the stored Position with its
// range, wrap and veto. The button itself (QorvUpDown_win32) adds the window,
// the mouse and the painting.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Components.h"

enum class TQorvUpDownAlignButton : uint8_t { udUnaligned = 0, udLeft = 1, udRight = 2 };
// -1..18; -1 is the format's own default (two decimals).
using TQorvUpDownDecimals = int8_t;
enum class TQorvUpDownElement : uint8_t { udNone = 0, udPrev = 1, udNext = 2, udDrag = 3 };
enum class TQorvUpDownOrientation : uint8_t { udHorizontal = 0, udVertical = 1 };

using TQorvUpDownChangingEvent =
    std::function<void(TObject* Sender, bool& AllowChange, double& NewPosition)>;
using TQorvUpDownClickEvent = std::function<void(TObject* Sender, TQorvUpDownElement Element)>;
using TQorvUpDownFormatValueEvent =
    std::function<void(TObject* Sender, double Value, std::string& Result)>;

// The user locale's number conventions. Grouping lists the group sizes from
// the decimal point leftwards as the system states them: a final 0 repeats
// the size before it ({3, 0}: every three digits), without it grouping stops
// after the last size given.
struct TQorvNumberLocale {
    std::string ThousandSeparator = ",";
    std::string DecimalSeparator = ".";
    std::vector<int> Grouping = {3, 0};
};

// "%f" or "%n" (with thousands), with ".N" for N decimals unless -1.
std::string QorvUpDownFormat(TQorvUpDownDecimals decimals, bool thousands);
// Applies one of those formats: fixed point, at most 18 significant digits,
// two decimals without a precision, "n" grouping the integer part. Raises
// EConvertError for any other format.
std::string QorvFormatNumber(const std::string& format, double value,
                             const TQorvNumberLocale& locale);
// The run-time library's text-to-float: blanks around, a sign, digits with
// the locale's decimal separator, an exponent. False for anything else and
// for values beyond the range of a double.
bool QorvTextToFloat(const std::string& text, const TQorvNumberLocale& locale, double& value);
// A number as VarToStr spells it ("1.5", "-2E-5") with the locale's decimal
// separator in place of the point.
std::string QorvLocaliseNumber(const std::string& text, const TQorvNumberLocale& locale);
// An associate's text as a number: every space and thousands separator
// removed first, so that "1,234.50" and "1 234" read.
bool QorvReadNumber(const std::string& text, const TQorvNumberLocale& locale, double& value);

// The numbers an up-down works with. An edit keeps them here while it has no
// up-down, and hands them to the one it makes in one call.
struct TQorvUpDownSettings {
    TQorvUpDownDecimals Decimals = -1;
    double Increment = 1.0;
    double Min = 0.0;
    double Max = 0.0;
    bool Thousands = true;
    bool Wrap = false;

    // Raises ERangeError outside -1..18.
    void SetDecimals(int value);
    // The smaller of a and b becomes Min.
    void SetRange(double a, double b);
};

// The value of an up-down button: the stored Position, range, step and text
// format. The associate (the edit whose text shows the value) is reached
// through the three hooks; without one, Position is the stored value.
class TQorvUpDownValue {
public:
    explicit TQorvUpDownValue(TObject* sender);
    virtual ~TQorvUpDownValue() = default;

    // The associate's text read as a number, else the stored Position.
    double Position() const;
    double StoredPosition() const { return FPosition; }
    // A different value goes through the range and OnChanging; the same
    // value only rewrites the text.
    void SetPosition(double value);
    const TQorvUpDownSettings& Settings() const { return FSettings; }
    // All the numbers at once: the format follows them and Position is
    // brought into the range.
    void SetSettings(const TQorvUpDownSettings& settings);
    double Min() const { return FSettings.Min; }
    double Max() const { return FSettings.Max; }
    void SetMin(double value);
    void SetMax(double value);
    // The smaller of a and b becomes Min; Position is brought into the range
    // without rewriting the text.
    void SetRange(double a, double b);
    double Increment() const { return FSettings.Increment; }
    void SetIncrement(double value) { FSettings.Increment = value; }
    bool Wrap() const { return FSettings.Wrap; }
    void SetWrap(bool value) { FSettings.Wrap = value; }
    TQorvUpDownDecimals Decimals() const { return FSettings.Decimals; }
    // Raises ERangeError outside -1..18.
    void SetDecimals(int value);
    bool Thousands() const { return FSettings.Thousands; }
    void SetThousands(bool value);
    const std::string& Format() const { return FFormat; }

    void SetOnChanging(TQorvUpDownChangingEvent e) { FOnChanging = std::move(e); }
    void SetOnFormatValue(TQorvUpDownFormatValueEvent e) { FOnFormatValue = std::move(e); }

    // Position (as read) plus `steps` increments: +1 for the upper arrow, -1
    // for the lower, a pixel count for a drag.
    void Step(double steps);
    // Writes the stored Position into the associate in the format.
    void UpdateText();
    std::string FormattedText() const;

protected:
    void ChangePosition(double x);
    void UpdateFormat();
    void ClampPosition();

    // An edit is associated: the value lives in its text.
    virtual bool AssociateHasText() const = 0;
    virtual std::string AssociateText() const = 0;
    // Writes only a text that differs, and selects it when the edit
    // selects its text on entry.
    virtual void SetAssociateText(const std::string& text) = 0;
    virtual const TQorvNumberLocale& NumberLocale() const;

private:
    TObject* FSender;
    double FPosition = 0.0;
    TQorvUpDownSettings FSettings;
    std::string FFormat = "%n";
    TQorvUpDownChangingEvent FOnChanging;
    TQorvUpDownFormatValueEvent FOnFormatValue;
};
