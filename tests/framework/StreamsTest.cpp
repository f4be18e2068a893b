#include "framework/Classes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

TEST(MemoryStream, ReadReturnsWhatIsLeftAndSeekIsRelative) {
    TMemoryStream s;
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.Size(), 6);
    EXPECT_EQ(s.Seek(-4, TSeekOrigin::soCurrent), 2);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 4);
    EXPECT_STREQ(buf, "cdef");
    EXPECT_EQ(s.Read(buf, 8), 0);
    // A seek before the start is refused and leaves the position.
    EXPECT_EQ(s.Seek(-100, TSeekOrigin::soCurrent), 6);
    s.SetPosition(0);
    EXPECT_THROW(s.ReadBuffer(buf, 7), EReadError);
}

TEST(MemoryStream, WritePastTheEndGrowsAndOverwrites) {
    TMemoryStream s;
    s.WriteBuffer("abc", 3);
    s.Seek(1, TSeekOrigin::soBeginning);
    s.WriteBuffer("XYZ", 3);
    EXPECT_EQ(std::string(s.Bytes().begin(), s.Bytes().end()), "aXYZ");
}

TEST(ReadOnlyMemoryStream, RefusesWrites) {
    const char data[] = "hello";
    TReadOnlyMemoryStream s(data, 5);
    EXPECT_EQ(s.Write("x", 1), 0);
    EXPECT_THROW(s.WriteBuffer("x", 1), EWriteError);
    s.Seek(-2, TSeekOrigin::soEnd);
    char buf[3] = {};
    s.ReadBuffer(buf, 2);
    EXPECT_STREQ(buf, "lo");
}

TEST(FileStream, CopiesAndReportsOpenFailures) {
    const auto path = (std::filesystem::temp_directory_path() / "qorv_stream_test.bin").string();
    {
        TMemoryStream src;
        src.WriteBuffer("0123456789", 10);
        src.SetPosition(3);
        TFileStream out(path, TFileMode::fmCreate);
        EXPECT_EQ(out.CopyFrom(src, 0), 7);
    }
    {
        TFileStream in(path, TFileMode::fmOpenRead);
        EXPECT_EQ(in.Size(), 7);
        char buf[8] = {};
        in.ReadBuffer(buf, 7);
        EXPECT_STREQ(buf, "3456789");
    }
    std::remove(path.c_str());
    EXPECT_THROW(TFileStream(path + ".missing/x", TFileMode::fmOpenRead), EFOpenError);
}
