#include <gtest/gtest.h>

#include <cmath>

#include "components/QorvUpDown.h"
#include "framework/SysUtils.h"

namespace {

const TQorvNumberLocale kEnglish{",", ".", {3, 0}};
const TQorvNumberLocale kGerman{".", ",", {3, 0}};

std::string Fmt(int decimals, bool thousands, double value,
                const TQorvNumberLocale& locale = kEnglish) {
    return QorvFormatNumber(QorvUpDownFormat(static_cast<TQorvUpDownDecimals>(decimals), thousands),
                            value, locale);
}

TEST(UpDownFormat, FormatStringsFollowDecimalsAndThousands) {
    EXPECT_EQ(QorvUpDownFormat(-1, true), "%n");
    EXPECT_EQ(QorvUpDownFormat(-1, false), "%f");
    EXPECT_EQ(QorvUpDownFormat(0, false), "%.0f");
    EXPECT_EQ(QorvUpDownFormat(18, true), "%.18n");
}

TEST(UpDownFormat, FixedAndGroupedNumbers) {
    // No precision: two decimals; "n" groups the integer part.
    EXPECT_EQ(Fmt(-1, true, 1234.5), "1,234.50");
    EXPECT_EQ(Fmt(-1, false, 1234.5), "1234.50");
    EXPECT_EQ(Fmt(0, false, 16383), "16383");
    EXPECT_EQ(Fmt(0, false, -1), "-1");
    EXPECT_EQ(Fmt(0, true, 1234567), "1,234,567");
    EXPECT_EQ(Fmt(0, true, -1234567), "-1,234,567");
    EXPECT_EQ(Fmt(0, true, 123), "123");
    EXPECT_EQ(Fmt(3, true, 0.0625), "0.063"); // half away from zero
    EXPECT_EQ(Fmt(2, false, 0.999), "1.00");  // the carry reaches the integer part
    EXPECT_EQ(Fmt(0, false, 999.5), "1000");
    EXPECT_EQ(Fmt(0, true, 999999.5), "1,000,000");
    EXPECT_EQ(Fmt(-1, true, 1234.5, kGerman), "1.234,50");
    // Rounding to nothing drops the sign.
    EXPECT_EQ(Fmt(2, false, -0.001), "0.00");
    EXPECT_EQ(Fmt(0, false, -0.0), "0");
}

TEST(UpDownFormat, EighteenSignificantDigitsAtMost) {
    // The double nearest 0.1 lies a little above it; its 18th digit shows.
    EXPECT_EQ(Fmt(18, false, 0.1), "0.100000000000000006");
    EXPECT_EQ(Fmt(0, false, 123456789012345678.0), "123456789012345680");
    // More integer digits than the precision: the general form.
    EXPECT_EQ(Fmt(0, false, 1e20), "1E+20");
    EXPECT_EQ(Fmt(-1, false, INFINITY), "INF");
    EXPECT_EQ(Fmt(-1, false, -INFINITY), "-INF");
}

TEST(UpDownFormat, LocaleGroupingSizes) {
    const TQorvNumberLocale indian{",", ".", {3, 2, 0}};
    EXPECT_EQ(Fmt(0, true, 123456789, indian), "12,34,56,789");
    const TQorvNumberLocale once{",", ".", {3}};
    EXPECT_EQ(Fmt(0, true, 123456789, once), "123456,789");
    const TQorvNumberLocale none{",", ".", {0}};
    EXPECT_EQ(Fmt(0, true, 123456789, none), "123456789");
    const TQorvNumberLocale space{"\xA0", ",", {3, 0}};
    EXPECT_EQ(Fmt(1, true, 12345.25, space), "12\xA0"
                                             "345,3");
}

TEST(UpDownFormat, OtherFormatsAreRefused) {
    for (const char* format : {"", "%", "%d", "%.f", "%.2", "x%f", "%ff", "%.1234f"})
        EXPECT_THROW(QorvFormatNumber(format, 1, kEnglish), EConvertError) << format;
}

TEST(UpDownRead, NumbersAsTheRunTimeLibraryReadsThem) {
    double v = 0;
    const std::pair<const char*, double> good[] = {
        {"0", 0},      {"42", 42},    {" 42 ", 42},  {"-1", -1},      {"+7", 7},
        {"2.5", 2.5},  {".5", 0.5},   {"3.", 3},     {"1e3", 1000},   {"1.5E-1", 0.15},
        {"2e+2", 200}, {"1e-400", 0}, {"00012", 12}, {"-0.25", -0.25}};
    for (const auto& [text, expected] : good) {
        ASSERT_TRUE(QorvTextToFloat(text, kEnglish, v)) << text;
        EXPECT_DOUBLE_EQ(v, expected) << text;
    }
    v = 99;
    for (const char* text : {"", " ", "-", ".", "abc", "1a", "1,5", "1e", "1e+", "0x10", "1 2",
                             "1e400", "--1", "INF", "NAN"}) {
        EXPECT_FALSE(QorvTextToFloat(text, kEnglish, v)) << text;
        EXPECT_EQ(v, 99) << text; // untouched on failure
    }
    ASSERT_TRUE(QorvTextToFloat("1,5", kGerman, v));
    EXPECT_EQ(v, 1.5);
}

TEST(UpDownRead, ANumberWrittenWithAPointReadsBackInTheLocale) {
    for (const char* text : {"1.5", "-0.125", "16383", "2.5E-7", "-1E20"}) {
        double written = 0, read = 0;
        ASSERT_TRUE(QorvTextToFloat(text, TQorvNumberLocale{}, written)) << text;
        const std::string shown = QorvLocaliseNumber(text, kGerman);
        EXPECT_TRUE(QorvTextToFloat(shown, kGerman, read)) << shown;
        EXPECT_EQ(read, written) << shown;
    }
    EXPECT_EQ(QorvLocaliseNumber("1.5", kGerman), "1,5");
    EXPECT_EQ(QorvLocaliseNumber("1.5", TQorvNumberLocale{" ", "dec", {3}}), "1dec5");
}

TEST(UpDownRead, SpacesAndThousandsSeparatorsAreIgnored) {
    double v = 0;
    ASSERT_TRUE(QorvReadNumber("1,234.50", kEnglish, v));
    EXPECT_EQ(v, 1234.5);
    ASSERT_TRUE(QorvReadNumber(" 1 2 3 4 ", kEnglish, v));
    EXPECT_EQ(v, 1234);
    ASSERT_TRUE(QorvReadNumber("-1,2,3", kEnglish, v)); // separators anywhere
    EXPECT_EQ(v, -123);
    ASSERT_TRUE(QorvReadNumber("1.234.567,5", kGerman, v));
    EXPECT_EQ(v, 1234567.5);
    EXPECT_FALSE(QorvReadNumber("12a", kEnglish, v));
    EXPECT_FALSE(QorvReadNumber(" , ", kEnglish, v));
}

// An associate edit in memory: counts the changes a real edit would report.
class TestUpDown : public TQorvUpDownValue {
public:
    TestUpDown() : TQorvUpDownValue(nullptr) {}
    bool HasEdit = true;
    std::string Text;
    int Changes = 0;
    TQorvNumberLocale Locale = kEnglish;

protected:
    bool AssociateHasText() const override { return HasEdit; }
    std::string AssociateText() const override { return Text; }
    void SetAssociateText(const std::string& text) override {
        if (text != Text) {
            Text = text;
            ++Changes;
        }
    }
    const TQorvNumberLocale& NumberLocale() const override { return Locale; }
};

// The code field's settings: 0..16383, whole numbers without grouping.
void MakeCodeField(TestUpDown& u) {
    u.SetDecimals(0);
    u.SetThousands(false);
    u.SetMax(16383);
}

TEST(UpDownValue, ReadingTakesTheTextAndFallsBackToTheStoredPosition) {
    TestUpDown u;
    u.SetPosition(5);
    EXPECT_EQ(u.Text, "5.00");
    u.Text = "1,234.5";
    EXPECT_EQ(u.Position(), 1234.5);
    EXPECT_EQ(u.StoredPosition(), 5); // reading does not store
    u.Text = "twelve";
    EXPECT_EQ(u.Position(), 5);
    u.Text = "";
    EXPECT_EQ(u.Position(), 5);
    u.HasEdit = false;
    u.Text = "7";
    EXPECT_EQ(u.Position(), 5);
    u.Locale = kGerman;
    u.HasEdit = true;
    u.Text = "1.234,5";
    EXPECT_EQ(u.Position(), 1234.5);
}

TEST(UpDownValue, BothBoundsZeroMeanUnbounded) {
    TestUpDown u;
    u.SetDecimals(0);
    u.Step(-1);
    EXPECT_EQ(u.StoredPosition(), -1);
    EXPECT_EQ(u.Text, "-1");
    u.SetPosition(1e9);
    EXPECT_EQ(u.Text, "1,000,000,000");
}

TEST(UpDownValue, StepsClampAtTheBoundsWithoutRewritingAnEqualText) {
    TestUpDown u;
    MakeCodeField(u);
    u.SetPosition(16383);
    ASSERT_EQ(u.Text, "16383");
    const int changes = u.Changes;
    u.Step(1);
    EXPECT_EQ(u.StoredPosition(), 16383);
    EXPECT_EQ(u.Changes, changes); // the text stayed: no change reported
    u.SetPosition(0);
    u.Step(-1);
    EXPECT_EQ(u.Text, "0");
    // Typed text beyond the range comes back on the next write.
    u.Text = "99999";
    u.SetPosition(u.Position());
    EXPECT_EQ(u.Text, "16383");
    // Writing the stored value again only rewrites the text.
    u.Text = "garbage";
    u.SetPosition(16383);
    EXPECT_EQ(u.Text, "16383");
    // A drag of several pixels moves by that many increments.
    u.SetIncrement(5);
    u.Step(-3);
    EXPECT_EQ(u.Text, "16368");
}

TEST(UpDownValue, WrapJumpsToTheOppositeBound) {
    TestUpDown u;
    MakeCodeField(u);
    u.SetWrap(true);
    u.SetPosition(16383);
    u.Step(1);
    EXPECT_EQ(u.Text, "0");
    u.Step(-1);
    EXPECT_EQ(u.Text, "16383");
}

TEST(UpDownValue, RangeWritesKeepMinBelowMaxAndPullPositionIn) {
    TestUpDown u;
    u.SetRange(10, 20);
    EXPECT_EQ(u.Min(), 10);
    EXPECT_EQ(u.Max(), 20);
    EXPECT_EQ(u.StoredPosition(), 10); // 0 was below the new range
    EXPECT_EQ(u.Text, "");             // and the text is not rewritten here
    u.SetMax(5);                       // below Min: the two swap
    EXPECT_EQ(u.Min(), 5);
    EXPECT_EQ(u.Max(), 10);
    u.SetPosition(8);
    u.SetMin(9);
    EXPECT_EQ(u.StoredPosition(), 9);
    u.SetMax(9);
    EXPECT_EQ(u.Min(), 9);
    EXPECT_EQ(u.Max(), 9);
    u.SetRange(3, 3);
    EXPECT_EQ(u.StoredPosition(), 3);
}

TEST(UpDownValue, OnChangingVetoesOrAdjustsWithoutFurtherClamping) {
    TestUpDown u;
    MakeCodeField(u);
    u.SetPosition(7);
    const int changes = u.Changes;
    double seen = 0;
    u.SetOnChanging([&](TObject*, bool& allow, double& next) {
        seen = next;
        allow = false;
    });
    u.Step(1);
    EXPECT_EQ(seen, 8);
    EXPECT_EQ(u.StoredPosition(), 7);
    EXPECT_EQ(u.Text, "7");
    EXPECT_EQ(u.Changes, changes);
    // The handler sees the clamped value and may go beyond the range.
    u.SetOnChanging([&](TObject*, bool&, double& next) {
        seen = next;
        next = 20000;
    });
    u.SetPosition(30000);
    EXPECT_EQ(seen, 16383);
    EXPECT_EQ(u.Text, "20000");
}

TEST(UpDownValue, FormatChangesRewriteTheText) {
    TestUpDown u;
    u.SetPosition(1234.5);
    EXPECT_EQ(u.Text, "1,234.50");
    u.SetThousands(false);
    EXPECT_EQ(u.Text, "1234.50");
    u.SetDecimals(1);
    EXPECT_EQ(u.Format(), "%.1f");
    EXPECT_EQ(u.Text, "1234.5");
    EXPECT_THROW(u.SetDecimals(19), ERangeError);
    EXPECT_THROW(u.SetDecimals(-2), ERangeError);
    EXPECT_EQ(u.Decimals(), 1);
    u.SetOnFormatValue([](TObject*, double value, std::string& result) {
        result.append(1, '#').append(std::to_string(static_cast<int>(value)));
    });
    u.UpdateText();
    EXPECT_EQ(u.Text, "#1234");
}

} // namespace

TEST(UpDownValue, SettingsInOneCallTakeFormatRangeAndPosition) {
    TQorvUpDownSettings s;
    s.SetDecimals(1);
    EXPECT_THROW(s.SetDecimals(19), ERangeError);
    EXPECT_EQ(s.Decimals, 1);
    s.SetRange(50, 10); // the smaller is Min
    EXPECT_EQ(s.Min, 10);
    EXPECT_EQ(s.Max, 50);
    s.Thousands = false;
    s.Increment = 2.5;
    s.Wrap = true;

    TestUpDown u;
    u.SetPosition(1234.5);
    u.SetSettings(s);
    EXPECT_EQ(u.Format(), "%.1f");
    EXPECT_EQ(u.StoredPosition(), 50); // brought into the range
    EXPECT_EQ(u.Text, "50.0");
    EXPECT_EQ(u.Settings().Increment, 2.5);
    u.Step(1); // past Max: wraps
    EXPECT_EQ(u.Text, "10.0");
}
