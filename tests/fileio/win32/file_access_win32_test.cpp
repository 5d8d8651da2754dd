#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "fileio/file_exception.h"
#include "fileio/file_status.h"
#include "fileio/os_file.h"
#include "fileio/temporary_name.h"
#include "support/temp_dir.h"

namespace {

// Each test ends with its folder free of open handles: a file the code
// under test left open cannot be deleted and fails the test.
class FileAccessWin32 : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Root())) {
            const std::string path = entry.path().string();
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            EXPECT_TRUE(DeleteFileA(path.c_str())) << path << " is still open";
        }
    }

    DWORD Attributes() const { return GetFileAttributesA(m_path.c_str()); }

    TempDir m_dir;
    const std::string m_path = m_dir.Write("index.htm", "<html>\n");
};

// What the treatment does to a file: save its status, clear read-only,
// hidden and system, rewrite it, put the saved status back. The times come
// back to the 100 ns as the portable round trip shows them.
TEST_F(FileAccessWin32, AttributesComeBackAfterARewrite) {
    for (const DWORD attribute :
         {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        SCOPED_TRACE(attribute);
        ASSERT_TRUE(SetFileAttributesA(m_path.c_str(), attribute));
        const DWORD before = Attributes();
        FileStatus saved;
        ASSERT_TRUE(GetFileStatus(m_path, saved));
        FileStatus cleared = saved;
        cleared.m_attributes &= static_cast<uint8_t>(~(kAttrReadOnly | kAttrHidden | kAttrSystem));
        SetFileStatus(m_path, cleared);
        EXPECT_EQ(Attributes() & 0x07, 0u);
        m_dir.Write("index.htm", "<html></html>\n");
        SetFileStatus(m_path, saved);
        EXPECT_EQ(Attributes(), before);
    }
}

// Seconds since 1970 as `date -u +%s` gives them (the portable round trip shows them past
// 2038); a time that no FILETIME can hold raises and leaves the times.
TEST_F(FileAccessWin32, TimesAreSecondsSince1970) {
    const SYSTEMTIME time{2012, 6, 0, 15, 10, 20, 30, 0};
    FILETIME in2012{};
    SystemTimeToFileTime(&time, &in2012);
    const HANDLE file = CreateFileA(m_path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_TRUE(SetFileTime(file, &in2012, &in2012, &in2012));
    CloseHandle(file);
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(m_path, status));
    EXPECT_EQ(status.m_lastWriteTime, 1339755630);
    status.m_lastWriteNanos = 0;
    for (const int64_t seconds : {INT64_MAX, int64_t{-11644473601}}) {  // past 30828; before 1601
        status.m_lastWriteTime = seconds;
        EXPECT_THROW(SetFileStatus(m_path, status), CFileException) << seconds;
    }
    // As the OS reports it, past the code under test.
    WIN32_FILE_ATTRIBUTE_DATA raw{};
    ASSERT_TRUE(GetFileAttributesExA(m_path.c_str(), GetFileExInfoStandard, &raw));
    EXPECT_EQ(CompareFileTime(&raw.ftLastWriteTime, &in2012), 0);
}

// A file is read with no other handle on it, and none may come while it is.
TEST_F(FileAccessWin32, ReadFileSharesWithNobody) {
    const auto openShared = [&] {
        return CreateFileA(m_path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE other = openShared();
    ReadOnlyFile file;
    EXPECT_FALSE(file.Open(m_path)) << "the open fails quietly, without raising";
    CloseHandle(other);
    ASSERT_TRUE(file.Open(m_path));
    EXPECT_EQ(openShared(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
    file.Close();
    other = openShared();
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    CloseHandle(other);
}

// Relative names, so that only their full forms reach the limit: 259
// characters fit a MAX_PATH buffer with the NUL, 260 do not. The move that
// replaces a file must accept a relative path too.
TEST_F(FileAccessWin32, RelativePathsAreMadeFullUpToMaxPathAndReplacedInPlace) {
    const std::string folder = m_dir.Root().string();
    FileStatus status;
    EXPECT_FALSE(GetFileStatus(folder + "\\.\\missing.htm", status));
    EXPECT_EQ(status.m_fullPath, m_dir.Path("missing.htm"));
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    const std::string fits(MAX_PATH - 1 - (folder.size() + 1), 'a');
    EXPECT_FALSE(GetFileStatus(fits, status));
    EXPECT_EQ(status.m_fullPath, m_dir.Path(fits));
    EXPECT_FALSE(GetFileStatus(fits + "a", status));
    EXPECT_EQ(status.m_fullPath, "");
    {
        FileReplacement replacement("index.htm");
        EXPECT_THAT(m_dir.Listing(), ::testing::HasSubstr(kTemporarySuffix));
        replacement.Write("new\n", 4);
        replacement.Commit();
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(ReadBytes(m_path), "new\n");
    EXPECT_EQ(m_dir.Listing(), "index.htm\n");
}

}  // namespace
