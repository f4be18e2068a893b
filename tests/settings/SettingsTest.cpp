// TSettings and the program-wide Settings: what is written when, and the Save
// Layout and Clear Layout commands.
#include "settings/unitSettings.h"
#include "tests/settings/FakeWindow.h"
#include "tests/settings/TestStores.h"

namespace {

class SettingsTest : public StoreTest {
protected:
    std::unique_ptr<TSettings> Start() { return std::make_unique<TSettings>(Scratch(), &Store()); }
    // Values directly in the settings key.
    std::vector<std::string> StoredValues() {
        std::vector<std::string> found;
        for (const char* name : {"SmallIcons", "List", "StayOnTop", "WordWrap", "ListCol1",
                                 "ListCol2", "ListSplitter", "PreviewWidth", "PreviewHeight"})
            if (HasValue(rkCurrentUser, Scratch(), name))
                found.push_back(name);
        return found;
    }
};

TEST_P(SettingsTest, AFirstStartHasTheDefaultsAndWritesNothing) {
    {
        auto settings = Start();
        EXPECT_FALSE(settings->SmallIcons());
        EXPECT_FALSE(settings->List());
        EXPECT_FALSE(settings->StayOnTop());
        EXPECT_TRUE(settings->WordWrap());
        EXPECT_EQ(settings->ListCol1, 50);
        EXPECT_EQ(settings->ListCol2, -1);
        EXPECT_EQ(settings->ListSplitter, 59);
        TFakeWindow window(385, 303, 509, 418);
        settings->LoadPlacement(MainFormSection, window, 0);
        EXPECT_EQ(window.GetLeft(), 385);
    }
    EXPECT_TRUE(Exists(rkCurrentUser, Scratch() + "\\MainForm"));
    EXPECT_TRUE(StoredValues().empty());
}

TEST_P(SettingsTest, ChangedChoicesAreWrittenAtTheEndAndSizesAreNot) {
    {
        auto settings = Start();
        settings->ListCol1 = 80;
        settings->ListSplitter = 100;
        EXPECT_FALSE(settings->Modified());
        settings->SetList(true);
        EXPECT_TRUE(settings->Modified());
        EXPECT_TRUE(StoredValues().empty());
    }
    EXPECT_EQ(StoredValues(),
              (std::vector<std::string>{"SmallIcons", "List", "StayOnTop", "WordWrap"}));
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "List"), 1);
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "WordWrap"), 1);
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "SmallIcons"), 0);
    EXPECT_FALSE(HasValue(rkCurrentUser, Scratch() + "\\MainForm", "Left"));

    auto settings = Start();
    EXPECT_TRUE(settings->List());
    EXPECT_EQ(settings->ListCol1, 50);
}

TEST_P(SettingsTest, EverySetterMarksModifiedEvenWithoutAChange) {
    auto settings = Start();
    using Setter = void (TSettings::*)(bool);
    for (Setter setter : {&TSettings::SetSmallIcons, &TSettings::SetList, &TSettings::SetStayOnTop,
                          &TSettings::SetWordWrap}) {
        settings->SetModified(false);
        (settings.get()->*setter)(setter == &TSettings::SetWordWrap);
        EXPECT_TRUE(settings->Modified());
    }
    // Save clears the flag and leaves the settings key open.
    settings->Save();
    EXPECT_FALSE(settings->Modified());
    EXPECT_EQ(settings->CurrentPath(), Scratch());
}

TEST_P(SettingsTest, UnreadableValuesGiveTheirDefaults) {
    PutValue(rkCurrentUser, Scratch(), "WordWrap", vtString, "0", 2);
    PutValue(rkCurrentUser, Scratch(), "ListCol1", vtBinary, "\x10\0\0\0", 4);
    PutDWord(rkCurrentUser, Scratch(), "ListSplitter", 120);
    PutDWord(rkCurrentUser, Scratch(), "StayOnTop", 5);
    auto settings = Start();
    EXPECT_TRUE(settings->WordWrap());
    EXPECT_EQ(settings->ListCol1, 50);
    EXPECT_EQ(settings->ListSplitter, 120);
    EXPECT_TRUE(settings->StayOnTop());
}

TEST_P(SettingsTest, OnlyANegativeDescriptionWidthIsComputed) {
    auto settings = Start();
    settings->AdjustListCol2(509);
    EXPECT_EQ(settings->ListCol2, 509 - 50 - HostVerticalScrollBarWidth());
    EXPECT_GT(HostVerticalScrollBarWidth(), 0);
    settings->AdjustListCol2(800);
    EXPECT_EQ(settings->ListCol2, 509 - 50 - HostVerticalScrollBarWidth());

    PutDWord(rkCurrentUser, Scratch(), "ListCol2", 0);
    PutDWord(rkCurrentUser, Scratch(), "ListCol1", 70);
    settings.reset();
    settings = Start();
    settings->AdjustListCol2(509);
    EXPECT_EQ(settings->ListCol2, 0);

    PutDWord(rkCurrentUser, Scratch(), "ListCol2", -5);
    settings.reset();
    settings = Start();
    settings->AdjustListCol2(400);
    EXPECT_EQ(settings->ListCol2, 400 - 70 - HostVerticalScrollBarWidth());
}

TEST_P(SettingsTest, DamagedSizesApplyAsNotStoredAndStayStored) {
    const int32_t widest = 16 * HostScreenWidth();
    PutDWord(rkCurrentUser, Scratch(), "ListCol1", -1); // 0xFFFFFFFF
    PutDWord(rkCurrentUser, Scratch(), "ListSplitter", -59);
    PutDWord(rkCurrentUser, Scratch(), "ListCol2", widest + 1);
    {
        auto settings = Start();
        EXPECT_EQ(settings->AppliedListCol1(), 50);
        EXPECT_EQ(settings->AppliedListSplitter(), 59);
        // Computed beside the "Code" width that is applied, not the damaged one.
        settings->AdjustListCol2(509);
        EXPECT_EQ(settings->ListCol2, 509 - 50 - HostVerticalScrollBarWidth());
        EXPECT_EQ(settings->ListCol1, -1);
    }
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "ListCol1"), -1);
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "ListCol2"), widest + 1);
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "ListSplitter"), -59);

    // The edges of what counts: zero-width columns, and up to 16 screens.
    PutDWord(rkCurrentUser, Scratch(), "ListCol1", widest + 1);
    PutDWord(rkCurrentUser, Scratch(), "ListCol2", widest);
    PutDWord(rkCurrentUser, Scratch(), "ListSplitter", 100000);
    auto settings = Start();
    EXPECT_EQ(settings->AppliedListCol1(), 50);
    EXPECT_EQ(settings->AppliedListSplitter(), 100000); // the page cuts it to size
    settings->AdjustListCol2(509);
    EXPECT_EQ(settings->ListCol2, widest);
    PutDWord(rkCurrentUser, Scratch(), "ListCol1", 0);
    settings = Start();
    EXPECT_EQ(settings->AppliedListCol1(), 0);
}

TEST_P(SettingsTest, SaveAndClearLayoutWriteAndDeleteTheLayoutOnly) {
    {
        auto settings = Start();
        settings->SetSmallIcons(true);
        TFakeWindow window(20, 30, 600, 500);
        settings->LoadPlacement(MainFormSection, window, 0);
        settings->PreviewWidth = 700;
        settings->PreviewHeight = 520;
        settings->SaveWindowLayout(window, 60, 400, 90);
        EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "PreviewWidth"), 700);
        EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "PreviewHeight"), 520);
        EXPECT_EQ(settings->ListCol2, 400);
        EXPECT_TRUE(settings->Modified());
        EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "ListCol1"), 60);
        EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "ListCol2"), 400);
        EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "ListSplitter"), 90);
        EXPECT_EQ(DWord(rkCurrentUser, Scratch() + "\\MainForm", "Width"), 600);
    }
    {
        auto settings = Start();
        EXPECT_EQ(settings->ListCol1, 60);
        EXPECT_EQ(settings->ListSplitter, 90);
        EXPECT_EQ(settings->PreviewWidth, 700);
        EXPECT_EQ(settings->PreviewHeight, 520);
        EXPECT_TRUE(settings->SmallIcons());
        TFakeWindow window(0, 0, 509, 418);
        settings->LoadPlacement(MainFormSection, window, 0);
        EXPECT_EQ(window.GetLeft(), 20);
        EXPECT_EQ(window.GetHeight(), 500);

        settings->ClearWindowLayout();
        // The running program keeps what it has.
        EXPECT_EQ(settings->ListCol1, 60);
        EXPECT_FALSE(Exists(rkCurrentUser, Scratch() + "\\MainForm"));
        EXPECT_EQ(StoredValues(),
                  (std::vector<std::string>{"SmallIcons", "List", "StayOnTop", "WordWrap"}));
        // A later write of the choices still lands in the settings key.
        settings->SetList(true);
    }
    EXPECT_EQ(DWord(rkCurrentUser, Scratch(), "List"), 1);
    auto settings = Start();
    EXPECT_EQ(settings->ListCol1, 50);
    EXPECT_EQ(settings->ListCol2, -1);
    EXPECT_EQ(settings->ListSplitter, 59);
    EXPECT_EQ(settings->PreviewWidth, 0);
    TFakeWindow window(385, 303, 509, 418);
    settings->LoadPlacement(MainFormSection, window, 0);
    EXPECT_EQ(window.GetLeft(), 385);
    EXPECT_EQ(window.GetWidth(), 509);
}

QORV_INSTANTIATE_FOR_ALL_STORES(SettingsTest);

TEST(SettingsLifetime, TheProgramWideObjectLivesBetweenInitializeAndFinalize) {
    TMemoryKeyStore store;
    ASSERT_EQ(Settings, nullptr);
    {
        TSettingsLifetime lifetime(&store);
        ASSERT_NE(Settings, nullptr);
        EXPECT_EQ(Settings->BasePath(), "\\Software\\Drovanex\\Vantrel 2006\\R1\\");
        TSettings* first = Settings;
        InitializeSettings(&store);
        EXPECT_EQ(Settings, first);
        Settings->SetStayOnTop(true);
    }
    EXPECT_EQ(Settings, nullptr);
    TQorvRegistry reg(&store);
    reg.SetBasePath(SettingsRootPath);
    EXPECT_TRUE(reg.ReadBool("StayOnTop", false));
    FinalizeSettings();
    EXPECT_EQ(Settings, nullptr);
}

} // namespace
