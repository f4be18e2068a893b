// TQorvSettings: loading, the local-machine values and window placement.
#include "settings/QorvSettings.h"
#include "tests/settings/FakeWindow.h"
#include "tests/settings/TestStores.h"

namespace {

class QorvSettingsTest : public StoreTest {
protected:
    std::string Section(const std::string& name = "MainForm") const {
        return Scratch() + "\\" + name;
    }
};

TEST_P(QorvSettingsTest, ConstructionLoadsWithoutCreatingTheLocalMachineKey) {
    TQorvSettings settings(Scratch(), &Store());
    EXPECT_EQ(settings.BasePath(), "\\" + Scratch() + "\\");
    EXPECT_EQ(settings.DefaultPath(), settings.BasePath());
    EXPECT_EQ(settings.RootKey(), rkCurrentUser);
    EXPECT_TRUE(settings.CanCreate());
    EXPECT_FALSE(settings.Modified());
    EXPECT_FALSE(settings.Installed());
    EXPECT_FALSE(settings.ProgramPath().empty());
    EXPECT_EQ(settings.Path(), settings.ProgramPath());
    EXPECT_EQ(settings.OSVersionInfo().dwOSVersionInfoSize, 148u);
    EXPECT_TRUE(Exists(rkCurrentUser, Scratch()));
    EXPECT_FALSE(Exists(rkLocalMachine, Scratch()));
    settings.Load();
    EXPECT_FALSE(Exists(rkLocalMachine, Scratch()));
}

TEST_P(QorvSettingsTest, LocalMachineValuesAreReadWhenPresent) {
    PutDWord(rkLocalMachine, Scratch(), "Installed", 1);
    PutValue(rkLocalMachine, Scratch(), "Path", vtString, "C:\\Tools\\", 10);
    TQorvSettings settings(Scratch(), &Store());
    EXPECT_TRUE(settings.Installed());
    EXPECT_EQ(settings.Path(), "C:\\Tools\\");
    // Nothing of the user's hive was written there.
    EXPECT_FALSE(Exists(rkLocalMachine, Scratch() + "\\MainForm"));
}

TEST_P(QorvSettingsTest, PlacementRoundTripsInOrder) {
    TQorvSettings settings(Scratch(), &Store());
    TFakeWindow saved(10, 20, 300, 200);
    EXPECT_TRUE(settings.SavePlacement("MainForm", saved, 0));
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Left"), 10);
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Top"), 20);
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Width"), 300);
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Height"), 200);
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "State"), 0);

    TFakeWindow loaded(0, 0, 50, 50);
    EXPECT_TRUE(settings.LoadPlacement("MainForm", loaded, 0));
    EXPECT_EQ(loaded.Calls, (std::vector<std::string>{"Left", "Top", "Width", "Height", "State"}));
    EXPECT_EQ(loaded.GetLeft(), 10);
    EXPECT_EQ(loaded.GetTop(), 20);
    EXPECT_EQ(loaded.GetWidth(), 300);
    EXPECT_EQ(loaded.GetHeight(), 200);
}

TEST_P(QorvSettingsTest, AMaximisedWindowComesBackMaximisedOverItsNormalRectangle) {
    TQorvSettings settings(Scratch(), &Store());
    TFakeWindow saved(100, 50, 400, 300);
    saved.SetWindowState(TPlacementState::Maximized);
    ASSERT_EQ(saved.GetWidth(), 1280);
    ASSERT_TRUE(settings.SavePlacement("MainForm", saved, 0));
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Width"), 400);
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "State"), 2);

    TFakeWindow loaded(0, 0, 509, 418);
    ASSERT_TRUE(settings.LoadPlacement("MainForm", loaded, 0));
    EXPECT_EQ(loaded.GetWindowState(), TPlacementState::Maximized);
    loaded.SetWindowState(TPlacementState::Normal);
    EXPECT_EQ(loaded.GetLeft(), 100);
    EXPECT_EQ(loaded.GetTop(), 50);
    EXPECT_EQ(loaded.GetWidth(), 400);
    EXPECT_EQ(loaded.GetHeight(), 300);

    // Refusing the maximised state gives a normal window of the stored size.
    TFakeWindow plain(0, 0, 509, 418);
    ASSERT_TRUE(settings.LoadPlacement("MainForm", plain, plNoMaximize));
    EXPECT_EQ(plain.GetWindowState(), TPlacementState::Normal);
    EXPECT_EQ(plain.GetWidth(), 400);
}

TEST_P(QorvSettingsTest, EachOptionLeavesItsValuesAlone) {
    TQorvSettings settings(Scratch(), &Store());
    TFakeWindow stored(1, 2, 300, 400);
    stored.SetWindowState(TPlacementState::Minimized);
    ASSERT_TRUE(settings.SavePlacement("MainForm", stored, 0));
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "State"), 1);

    struct Case {
        TPlacementOptions Options;
        std::vector<std::string> Calls;
        TPlacementState State;
    };
    const Case cases[] = {
        {plNoPosition, {"Width", "Height", "State"}, TPlacementState::Minimized},
        {plNoSize, {"Left", "Top"}, TPlacementState::Normal},
        {plNoSize | plNoState, {"Left", "Top"}, TPlacementState::Normal},
        {plNoState, {"Left", "Top", "Width", "Height"}, TPlacementState::Normal},
        {plNoMinimize, {"Left", "Top", "Width", "Height", "State"}, TPlacementState::Normal},
        {plNoMaximize, {"Left", "Top", "Width", "Height", "State"}, TPlacementState::Minimized},
        {plNoPosition | plNoSize, {}, TPlacementState::Normal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Options);
        TFakeWindow window(7, 8, 90, 95);
        ASSERT_TRUE(settings.LoadPlacement("MainForm", window, c.Options));
        EXPECT_EQ(window.Calls, c.Calls);
        EXPECT_EQ(window.GetWindowState(), c.State);
        window.SetWindowState(TPlacementState::Normal);
        bool position = !(c.Options & plNoPosition), size = !(c.Options & plNoSize);
        EXPECT_EQ(window.GetLeft(), position ? 1 : 7);
        EXPECT_EQ(window.GetWidth(), size ? 300 : 90);
    }

    // Saving with options writes only what they allow.
    TQorvSettings fresh(Scratch() + "\\Other", &Store());
    ASSERT_TRUE(fresh.SavePlacement("A", stored, plNoPosition | plNoState));
    ASSERT_TRUE(fresh.SavePlacement("B", stored, plNoSize));
    const std::string a = Scratch() + "\\Other\\A", b = Scratch() + "\\Other\\B";
    EXPECT_FALSE(HasValue(rkCurrentUser, a, "Left"));
    EXPECT_EQ(DWord(rkCurrentUser, a, "Height"), 400);
    EXPECT_FALSE(HasValue(rkCurrentUser, a, "State"));
    EXPECT_EQ(DWord(rkCurrentUser, b, "Top"), 2);
    EXPECT_FALSE(HasValue(rkCurrentUser, b, "Width"));
    EXPECT_FALSE(HasValue(rkCurrentUser, b, "State"));
}

TEST_P(QorvSettingsTest, NothingStoredLeavesTheWindowAndCreatesTheSection) {
    TQorvSettings settings(Scratch(), &Store());
    TFakeWindow window(35, 40, 509, 418);
    EXPECT_TRUE(settings.LoadPlacement("MainForm", window, 0));
    EXPECT_EQ(window.GetLeft(), 35);
    EXPECT_EQ(window.GetTop(), 40);
    EXPECT_EQ(window.GetWidth(), 509);
    EXPECT_EQ(window.GetHeight(), 418);
    EXPECT_EQ(window.GetWindowState(), TPlacementState::Normal);
    EXPECT_TRUE(Exists(rkCurrentUser, Section()));
    EXPECT_FALSE(HasValue(rkCurrentUser, Section(), "Left"));
}

TEST_P(QorvSettingsTest, OddStoredStatesRestoreAsNormal) {
    PutDWord(rkCurrentUser, Section(), "State", 7);
    PutDWord(rkCurrentUser, Section(), "Width", 250);
    PutValue(rkCurrentUser, Section(), "Height", vtString, "big", 4);
    TQorvSettings settings(Scratch(), &Store());
    TFakeWindow window(0, 0, 100, 100);
    ASSERT_TRUE(settings.LoadPlacement("MainForm", window, 0));
    EXPECT_EQ(window.GetWidth(), 250);
    EXPECT_EQ(window.GetHeight(), 100);
    window.SetWindowState(TPlacementState::Maximized);
    ASSERT_TRUE(settings.LoadPlacement("MainForm", window, 0));
    EXPECT_EQ(window.GetWindowState(), TPlacementState::Normal);
    // Only the low byte counts: 0x102 is maximised.
    PutDWord(rkCurrentUser, Section(), "State", 0x102);
    ASSERT_TRUE(settings.LoadPlacement("MainForm", window, 0));
    EXPECT_EQ(window.GetWindowState(), TPlacementState::Maximized);
}

TEST_P(QorvSettingsTest, ARestoredPlacementIsBroughtOntoTheScreenWithoutRewritingIt) {
    // Saved maximised on a second monitor that is gone.
    PutDWord(rkCurrentUser, Section(), "Left", 5000);
    PutDWord(rkCurrentUser, Section(), "Top", 5000);
    PutDWord(rkCurrentUser, Section(), "Width", 600);
    PutDWord(rkCurrentUser, Section(), "Height", 450);
    PutDWord(rkCurrentUser, Section(), "State", 2);
    TQorvSettings settings(Scratch(), &Store());
    TFakeWindow window(100, 100, 509, 418);
    window.Screens = {{{0, 0, 1280, 1024}, {0, 0, 1280, 994}}};
    ASSERT_TRUE(settings.LoadPlacement("MainForm", window, 0));
    EXPECT_EQ(window.GetWindowState(), TPlacementState::Maximized);
    const TPlacementRect normal = window.Normal();
    EXPECT_EQ(normal.Left, 1280 - 600);
    EXPECT_EQ(normal.Top, 994 - 450);
    EXPECT_EQ(normal.Right - normal.Left, 600);
    // The state comes last, after the rectangle is where it can be seen.
    EXPECT_EQ(window.Calls.back(), "State");
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Left"), 5000);
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Top"), 5000);

    // Larger than the screen: shrunk to it, whichever values were stored.
    PutDWord(rkCurrentUser, Section(), "Width", 5000);
    PutDWord(rkCurrentUser, Section(), "State", 0);
    TFakeWindow large(100, 100, 509, 418);
    large.Screens = window.Screens;
    ASSERT_TRUE(settings.LoadPlacement("MainForm", large, plNoPosition));
    EXPECT_EQ(large.GetLeft(), 0);
    EXPECT_EQ(large.GetWidth(), 1280);
    EXPECT_EQ(large.GetTop(), 100);
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Width"), 5000);

    // Partly on the screen: as stored.
    PutDWord(rkCurrentUser, Section(), "Left", -300);
    PutDWord(rkCurrentUser, Section(), "Top", 100);
    PutDWord(rkCurrentUser, Section(), "Width", 600);
    TFakeWindow half(100, 100, 509, 418);
    half.Screens = window.Screens;
    ASSERT_TRUE(settings.LoadPlacement("MainForm", half, 0));
    EXPECT_EQ(half.GetLeft(), -300);
    EXPECT_EQ(half.GetTop(), 100);
    EXPECT_EQ(half.GetWidth(), 600);
}

// The task bar along the top or the left edge: the system's record of the
// restored rectangle is off by its size from where the window is.
TEST_P(QorvSettingsTest, PlacementRoundTripsOnAWorkAreaThatDoesNotStartAtTheCorner) {
    const std::vector<TMonitorArea> screens = {
        {{0, 0, 1280, 1024}, {0, 40, 1280, 1024}},      // task bar on top
        {{1280, 0, 2560, 1024}, {1340, 0, 2560, 1024}}, // and on the left
    };
    TQorvSettings settings(Scratch(), &Store());
    for (const TPlacementRect& at :
         {TPlacementRect{100, 120, 700, 570}, TPlacementRect{1400, 30, 2000, 480}}) {
        SCOPED_TRACE(at.Left);
        for (const TPlacementState state : {TPlacementState::Normal, TPlacementState::Maximized}) {
            TFakeWindow saved(at.Left, at.Top, at.Right - at.Left, at.Bottom - at.Top);
            saved.Screens = screens;
            saved.Maximised = {at.Left < 1280 ? 0 : 1340, 0, at.Left < 1280 ? 1280 : 2560, 1024};
            saved.SetWindowState(state);
            ASSERT_TRUE(settings.SavePlacement("MainForm", saved, 0));
            EXPECT_EQ(DWord(rkCurrentUser, Section(), "Left"), at.Left);
            EXPECT_EQ(DWord(rkCurrentUser, Section(), "Top"), at.Top);

            TFakeWindow loaded(300, 300, 509, 418);
            loaded.Screens = screens;
            ASSERT_TRUE(settings.LoadPlacement("MainForm", loaded, 0));
            loaded.SetWindowState(TPlacementState::Normal);
            EXPECT_EQ(loaded.GetLeft(), at.Left);
            EXPECT_EQ(loaded.GetTop(), at.Top);
            EXPECT_EQ(loaded.GetWidth(), at.Right - at.Left);
            EXPECT_EQ(loaded.GetHeight(), at.Bottom - at.Top);
        }
    }
}

TEST_P(QorvSettingsTest, WithoutTheSystemsRecordTheCurrentBoundsAreStored) {
    TQorvSettings settings(Scratch(), &Store());
    TFakeWindow window(5, 6, 70, 80);
    window.HasPlacement = false;
    ASSERT_TRUE(settings.SavePlacement("MainForm", window, 0));
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Left"), 5);
    EXPECT_EQ(DWord(rkCurrentUser, Section(), "Height"), 80);
}

TEST_P(QorvSettingsTest, ClearPlacementRemovesTheSectionKeyOnly) {
    PutDWord(rkCurrentUser, Scratch(), "Keep", 1);
    TQorvSettings settings(Scratch(), &Store());
    TFakeWindow window(1, 2, 3, 4);
    ASSERT_TRUE(settings.SavePlacement("MainForm", window, 0));
    ASSERT_TRUE(settings.SavePlacement("Forms\\Tool", window, 0));
    PutDWord(rkCurrentUser, Section() + "\\Child", "X", 1);

    EXPECT_TRUE(settings.ClearPlacement("MainForm"));
    EXPECT_FALSE(Exists(rkCurrentUser, Section()));
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "Keep"), 1);
    EXPECT_TRUE(Exists(rkCurrentUser, Section("Forms\\Tool")));

    EXPECT_TRUE(settings.ClearPlacement("Forms\\Tool"));
    EXPECT_FALSE(Exists(rkCurrentUser, Section("Forms\\Tool")));
    EXPECT_TRUE(Exists(rkCurrentUser, Section("Forms")));
    EXPECT_FALSE(settings.ClearPlacement(""));

    // The next load starts over with an empty section.
    TFakeWindow next(50, 60, 70, 80);
    EXPECT_TRUE(settings.LoadPlacement("MainForm", next, 0));
    EXPECT_TRUE(Exists(rkCurrentUser, Section()));
    EXPECT_EQ(next.GetLeft(), 50);
}

TEST_P(QorvSettingsTest, AFailingWindowMakesThePlacementFalse) {
    class TBrokenWindow : public TFakeWindow {
    public:
        TBrokenWindow() : TFakeWindow(0, 0, 10, 10) {}
        void SetTop(int32_t) override { throw Exception("no window"); }
    };
    PutDWord(rkCurrentUser, Section(), "Top", 3);
    TQorvSettings settings(Scratch(), &Store());
    TBrokenWindow window;
    EXPECT_FALSE(settings.LoadPlacement("MainForm", window, 0));
    EXPECT_EQ(window.Calls, std::vector<std::string>{"Left"});
}

QORV_INSTANTIATE_FOR_ALL_STORES(QorvSettingsTest);

TEST(QorvSettingsMemory, TheMachineValuesAreReadWhereWritingIsRefused) {
    TMemoryKeyStore store;
    {
        TQorvRegistry machine(&store);
        ASSERT_TRUE(machine.OpenRoot(rkLocalMachine, "Software\\P"));
        machine.WriteBool("Installed", true);
    }
    // As for a user without administrator rights.
    store.DenyAccess(rkLocalMachine, "", kaSetValue | kaCreateSubKey);
    store.DenyAccess(rkLocalMachine, "Software\\P", kaSetValue | kaCreateSubKey | kaDelete);
    TQorvSettings settings("Software\\P", &store);
    EXPECT_TRUE(settings.Installed());
    EXPECT_EQ(settings.RootKey(), rkCurrentUser);
    EXPECT_EQ(settings.Access(), kaAllAccess);
}

TEST(QorvSettingsMemory, ARefusedSectionIsNotWrittenIntoTheBaseKey) {
    TMemoryKeyStore store;
    store.DenyAccess(rkCurrentUser, "Software\\P\\MainForm", kaCreateSubKey);
    TQorvSettings settings("Software\\P", &store);
    TFakeWindow window(1, 2, 3, 4);
    EXPECT_FALSE(settings.SavePlacement("MainForm", window, 0));
    EXPECT_FALSE(settings.LoadPlacement("MainForm", window, 0));
    EXPECT_EQ(settings.ReadInteger("Left", -1), -1);
    EXPECT_TRUE(window.Calls.empty());
}

} // namespace
