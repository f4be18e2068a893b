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

TEST(BufferedOutputStream, HandsOnBlocksInOrderAndOnlyOnFlush) {
    TMemoryStream target;
    TBufferedOutputStream out(target, 4);
    out.Append("ab");
    out.Append("c");
    EXPECT_TRUE(target.Bytes().empty());
    out.Append("de"); // does not fit: what is held goes first
    EXPECT_EQ(std::string(target.Bytes().begin(), target.Bytes().end()), "abc");
    out.Append("0123456789"); // larger than the buffer: straight through
    EXPECT_EQ(out.Write("xy", 2), 2);
    out.Flush();
    EXPECT_EQ(std::string(target.Bytes().begin(), target.Bytes().end()), "abcde0123456789xy");
    EXPECT_EQ(out.Seek(0, TSeekOrigin::soCurrent), 17);

    // A target that takes nothing: the flush raises, and the bytes are not
    // offered a second time.
    const char data[] = "x";
    TReadOnlyMemoryStream full(data, 1);
    TBufferedOutputStream refused(full, 8);
    refused.Append("abc");
    EXPECT_THROW(refused.Flush(), EWriteError);
    EXPECT_NO_THROW(refused.Flush());
}

TEST(FileStream, CreateFailuresNameTheFileAndTheReason) {
    const auto dir = std::filesystem::temp_directory_path() / "qorv_stream_dir";
    std::filesystem::create_directories(dir);
    try {
        TFileStream(dir.string(), TFileMode::fmCreate);
        FAIL() << "a folder was opened as a file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message().rfind("Cannot create file \"" + dir.string() + "\"", 0), 0u)
            << e.Message();
        // The system's reason follows the name.
        EXPECT_GT(e.Message().size(), dir.string().size() + 24) << e.Message();
        EXPECT_NE(e.ErrorCode(), 0u);
    }
    std::filesystem::remove(dir);
}
