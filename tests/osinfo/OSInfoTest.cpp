// The naming rules over hand-made version records.
#include "app/unitOSInfo.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kNoProduct = 0;

TOSVersionRecord Rec(uint32_t platform, uint32_t major, uint32_t minor,
                     uint8_t productType = kNoProduct, uint16_t suite = 0, bool available = true) {
    TOSVersionRecord rec;
    rec.Info.dwOSVersionInfoSize = OSVersionInfoExSize;
    rec.Info.dwPlatformId = platform;
    rec.Info.dwMajorVersion = major;
    rec.Info.dwMinorVersion = minor;
    rec.Info.wProductType = productType;
    rec.Info.wSuiteMask = suite;
    rec.Available = available;
    return rec;
}

TOSVersionRecord NT(uint32_t major, uint32_t minor, uint8_t productType = osNTWorkstation,
                    uint16_t suite = 0) {
    return Rec(osPlatformWin32NT, major, minor, productType, suite);
}

struct NameCase {
    TOSVersionRecord Record;
    const char* Name;
};

TEST(OSInfo, NamesTheExampleSystems) {
    const NameCase cases[] = {
        {Rec(osPlatformWin32Windows, 4, 10), "Windows 98"},
        {NT(5, 1, osNTWorkstation, osSuitePersonal), "Windows XP Home Edition"},
        {NT(5, 1, osNTWorkstation), "Windows XP Professional"},
        {NT(5, 0, osNTServer, osSuiteEnterprise), "Windows 2000 Advanced Server"},
        {NT(5, 2, osNTServer, osSuiteBlade), "Windows Server 2003 Web Edition"},
        {NT(5, 2, osNTDomainController), "Windows Server 2003 Standard Edition"},
        {NT(4, 0, osNTServer, osSuiteEnterprise), "Windows NT 4.0 Server 4.0, Enterprise Edition"},
        {NT(4, 0, osNTWorkstation), "Windows NT 4.0 Workstation 4.0"},
        {NT(6, 0, osNTWorkstation), "Windows Vista"},
        {NT(6, 0, osNTServer), "Windows Server 2008"},
        {NT(5, 2, osNTWorkstation), "Windows Server 2003"},
        {Rec(osPlatformWin32NT, 5, 1, kNoProduct, 0, false), "Windows XP"},
        {NT(7, 0), "System"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(GetOSName(c.Record), c.Name);
    }
}

TEST(OSInfo, VersionTableIsMatchedOnPlatformMajorAndMinor) {
    struct {
        uint32_t Platform, Major, Minor;
        OSVersion Version;
        const char* Name;
    } rows[] = {
        {1, 4, 0, osWin95, "Windows 95"},
        {1, 4, 10, osWin98, "Windows 98"},
        {1, 4, 90, osWinMe, "Windows Me"},
        {2, 4, 0, osWinNT4, "Windows NT 4.0"},
        {2, 5, 0, osWin2000, "Windows 2000"},
        {2, 5, 1, osWinXP, "Windows XP"},
        {2, 5, 2, osWin2003, "Windows Server 2003"},
        {2, 6, 0, osWinVista, "Windows Vista"},
        // Near misses of every row.
        {1, 4, 1, osUnknown, "System"},
        {1, 5, 0, osUnknown, "System"},
        {1, 5, 1, osUnknown, "System"},
        {2, 4, 10, osUnknown, "System"},
        {2, 4, 1, osUnknown, "System"},
        {2, 5, 3, osUnknown, "System"},
        {2, 3, 51, osUnknown, "System"},
        {2, 6, 4, osUnknown, "System"},
        {2, 6, 99, osUnknown, "System"},
        {2, 7, 0, osUnknown, "System"},
        {2, 9, 0, osUnknown, "System"},
        {2, 10, 1, osUnknown, "System"},
        {2, 11, 0, osUnknown, "System"},
        {0, 4, 0, osUnknown, "System"},
        {3, 5, 1, osUnknown, "System"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.Platform << ' ' << r.Major << '.' << r.Minor);
        const TOSVersionRecord rec = Rec(r.Platform, r.Major, r.Minor, osNTWorkstation);
        EXPECT_EQ(GetOSVersion(rec), r.Version);
        EXPECT_EQ(GetOSVersionName(GetOSVersion(rec)), r.Name);
        EXPECT_EQ(IsWin9x(rec), r.Platform == 1);
        EXPECT_EQ(IsWinNT(rec), r.Platform == 2);
    }
}

TOSVersionRecord Build(uint32_t major, uint32_t minor, uint32_t build, uint8_t productType) {
    TOSVersionRecord rec = NT(major, minor, productType);
    rec.Info.dwBuildNumber = build;
    return rec;
}

TEST(OSInfo, SystemsSinceVistaHaveTheirOwnNamesWithoutAnEdition) {
    const NameCase cases[] = {
        {Build(6, 0, 6002, osNTWorkstation), "Windows Vista"},
        {Build(6, 0, 6002, osNTServer), "Windows Server 2008"},
        {Build(6, 1, 7601, osNTWorkstation), "Windows 7"},
        {Build(6, 1, 7601, osNTServer), "Windows Server 2008 R2"},
        {Build(6, 2, 9200, osNTWorkstation), "Windows 8"},
        {Build(6, 2, 9200, osNTDomainController), "Windows Server 2012"},
        {Build(6, 3, 9600, osNTWorkstation), "Windows 8.1"},
        {Build(6, 3, 9600, osNTServer), "Windows Server 2012 R2"},
        // 10.0 by build: the first build of each release and the one before.
        {Build(10, 0, 10240, osNTWorkstation), "Windows 10"},
        {Build(10, 0, 21999, osNTWorkstation), "Windows 10"},
        {Build(10, 0, 22000, osNTWorkstation), "Windows 11"},
        {Build(10, 0, 26100, osNTWorkstation), "Windows 11"},
        {Build(10, 0, 14393, osNTServer), "Windows Server 2016"},
        {Build(10, 0, 17762, osNTServer), "Windows Server 2016"},
        {Build(10, 0, 17763, osNTServer), "Windows Server 2019"},
        {Build(10, 0, 20347, osNTDomainController), "Windows Server 2019"},
        {Build(10, 0, 20348, osNTServer), "Windows Server 2022"},
        {Build(10, 0, 26099, osNTServer), "Windows Server 2022"},
        {Build(10, 0, 26100, osNTServer), "Windows Server 2025"},
        {Build(10, 0, 0xFFFFFFFF, osNTServer), "Windows Server 2025"},
        // Suite bits name no edition any more.
        {NT(6, 1, osNTServer, osSuiteDatacenter | osSuiteEnterprise), "Windows Server 2008 R2"},
        {NT(10, 0, osNTWorkstation, osSuitePersonal), "Windows 10"},
        // An unknown product type, or none, is named like a workstation.
        {Build(6, 2, 9200, 0), "Windows 8"},
        {Rec(osPlatformWin32NT, 6, 1, osNTServer, 0, false), "Windows 7"},
        {Build(10, 0, 22621, 9), "Windows 11"},
        // Platform 1 never reaches these rows.
        {Rec(osPlatformWin32Windows, 6, 1, osNTWorkstation), "System"},
        {Rec(osPlatformWin32Windows, 10, 0, osNTServer), "System"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.Name << " " << c.Record.Info.dwMajorVersion << "."
                     << c.Record.Info.dwMinorVersion << "." << c.Record.Info.dwBuildNumber);
        EXPECT_EQ(GetOSName(c.Record), c.Name);
        EXPECT_EQ(GetOSEdition(c.Record), "");
    }
}

TEST(OSInfo, ProductKindComesFromProductTypeOnNTOnly) {
    EXPECT_EQ(GetOSProductKind(NT(5, 1, osNTWorkstation)), pkWorkstation);
    EXPECT_EQ(GetOSProductKind(NT(5, 1, osNTServer)), pkServer);
    EXPECT_EQ(GetOSProductKind(NT(5, 1, osNTDomainController)), pkDomainController);
    EXPECT_EQ(GetOSProductKind(NT(5, 1, 0)), pkOther);
    EXPECT_EQ(GetOSProductKind(NT(5, 1, 4)), pkOther);
    EXPECT_EQ(GetOSProductKind(NT(5, 1, 255)), pkOther);
    EXPECT_EQ(GetOSProductKind(Rec(osPlatformWin32Windows, 4, 10, osNTServer)), pkNone);
    EXPECT_EQ(GetOSProductKind(Rec(0, 5, 1, osNTServer)), pkNone);

    EXPECT_TRUE(IsServer(NT(5, 2, osNTServer)));
    EXPECT_TRUE(IsServer(NT(5, 2, osNTDomainController)));
    EXPECT_FALSE(IsServer(NT(5, 2, osNTWorkstation)));
    EXPECT_FALSE(IsServer(NT(5, 2, 0)));
}

TEST(OSInfo, ServerEditions) {
    const NameCase cases[] = {
        {NT(4, 0, osNTServer), "Windows NT 4.0 Server 4.0"},
        {NT(5, 0, osNTServer, osSuiteDatacenter), "Windows 2000 Datacenter Server"},
        {NT(5, 0, osNTServer), "Windows 2000 Standard Edition"},
        {NT(5, 2, osNTServer, osSuiteDatacenter), "Windows Server 2003 DataCenter Edition"},
        {NT(5, 2, osNTServer, osSuiteEnterprise), "Windows Server 2003 Enterprise Edition"},
        {NT(5, 2, osNTServer), "Windows Server 2003 Standard Edition"},
        // A domain controller is named like a server of its version.
        {NT(5, 0, osNTDomainController, osSuiteEnterprise), "Windows 2000 Advanced Server"},
        {NT(4, 0, osNTDomainController), "Windows NT 4.0 Server 4.0"},
        // XP has no server row; an unknown version has no edition.
        {NT(5, 1, osNTServer, osSuiteEnterprise), "Windows XP"},
        {NT(5, 1, osNTDomainController), "Windows XP"},
        {NT(4, 1, osNTServer), "System"},
        {NT(10, 1, osNTServer, osSuiteDatacenter), "System"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(GetOSName(c.Record), c.Name);
    }
}

TEST(OSInfo, WorkstationEditionsAlsoServeUnknownProductTypes) {
    const NameCase cases[] = {
        {NT(5, 0, osNTWorkstation), "Windows 2000 Professional"},
        {NT(5, 0, 0), "Windows 2000 Professional"},
        {NT(4, 0, 7), "Windows NT 4.0 Workstation 4.0"},
        {NT(5, 1, 0, osSuitePersonal), "Windows XP Home Edition"},
        // Server suite bits mean nothing to a workstation.
        {NT(5, 1, osNTWorkstation, osSuiteDatacenter | osSuiteEnterprise | osSuiteBlade),
         "Windows XP Professional"},
        {NT(5, 2, 0, osSuiteBlade), "Windows Server 2003"},
        {NT(6, 0, 0), "Windows Vista"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(GetOSName(c.Record), c.Name);
    }
}

TEST(OSInfo, SuiteBitsAreTestedBiggestEditionFirst) {
    const uint16_t all = osSuiteDatacenter | osSuiteEnterprise | osSuiteBlade | osSuitePersonal;
    EXPECT_EQ(GetOSEdition(NT(5, 0, osNTServer, all)), "Datacenter Server");
    EXPECT_EQ(GetOSEdition(NT(5, 2, osNTServer, all)), "DataCenter Edition");
    EXPECT_EQ(GetOSEdition(NT(5, 2, osNTServer, osSuiteEnterprise | osSuiteBlade)),
              "Enterprise Edition");
    EXPECT_EQ(GetOSEdition(NT(4, 0, osNTServer, all)), "Server 4.0, Enterprise Edition");
    // Bits the rules do not know are ignored.
    EXPECT_EQ(GetOSEdition(NT(5, 2, osNTServer, 0x0110)), "Standard Edition");
    EXPECT_TRUE(HasSuite(NT(5, 2, osNTServer, all), osSuiteBlade));
    EXPECT_FALSE(HasSuite(NT(5, 2, osNTServer, osSuiteBlade), osSuiteEnterprise));
}

TEST(OSInfo, FailedExtendedQueryGivesTheVersionNameAlone) {
    // Whatever is left in the suite and product fields is not trusted.
    const TOSVersionRecord failed[] = {
        Rec(osPlatformWin32NT, 5, 0, osNTServer, osSuiteDatacenter, false),
        Rec(osPlatformWin32NT, 4, 0, osNTWorkstation, 0, false),
        Rec(osPlatformWin32NT, 6, 0, osNTServer, 0, false),
    };
    EXPECT_EQ(GetOSName(failed[0]), "Windows 2000");
    EXPECT_EQ(GetOSName(failed[1]), "Windows NT 4.0");
    EXPECT_EQ(GetOSName(failed[2]), "Windows Vista");
    for (const auto& rec : failed) {
        EXPECT_EQ(GetOSProductKind(rec), pkOther);
        EXPECT_FALSE(IsServer(rec));
        EXPECT_FALSE(HasSuite(rec, osSuiteDatacenter));
    }
}

TEST(OSInfo, Win9xNeverHasAnEdition) {
    for (uint32_t minor : {0u, 10u, 90u}) {
        const TOSVersionRecord rec =
            Rec(osPlatformWin32Windows, 4, minor, osNTServer, osSuiteEnterprise | osSuitePersonal);
        EXPECT_EQ(GetOSEdition(rec), "");
        EXPECT_EQ(GetOSName(rec), GetOSVersionName(GetOSVersion(rec)));
    }
    EXPECT_EQ(GetOSName(Rec(osPlatformWin32Windows, 4, 90)), "Windows Me");
}

TEST(OSInfo, StartupRecordIsReadOnce) {
    const TOSVersionRecord* before = &CurrentVersionRecord();
    ReadVersionInfo();
    EXPECT_EQ(&CurrentVersionRecord(), before);
    EXPECT_EQ(GetOSName(), GetOSName(CurrentVersionRecord()));
}

} // namespace
