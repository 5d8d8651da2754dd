#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "fileio/fault_injection.h"
#include "fileio/file_exception.h"
#include "fileio/file_status.h"
#include "fileio/os_file.h"
#include "fileio/temporary_name.h"

namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::Field;
using ::testing::Throws;
using ::testing::UnorderedElementsAre;
using ::testing::Values;

// Seconds since 1970 of the dates the tests use, as `date -u +%s` gives them.
constexpr int64_t k2012_06_15_10_20_30 = 1339755630;
constexpr int64_t k2040_01_01 = 2208988800;

FILETIME FileTimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second,
                    WORD milliseconds = 0) {
    const SYSTEMTIME time{year, month, 0, day, hour, minute, second, milliseconds};
    FILETIME fileTime{};
    SystemTimeToFileTime(&time, &fileTime);
    return fileTime;
}

// Half a second past 2001-02-03 04:05:06 UTC, and the same time cut to the second.
const FILETIME kWithFraction = FileTimeOf(2001, 2, 3, 4, 5, 6, 500);
const FILETIME k2012 = FileTimeOf(2012, 6, 15, 10, 20, 30);

uint64_t Ticks(const FILETIME& time) {
    return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// The file's attributes and times as the OS reports them, past the code
// under test.
WIN32_FILE_ATTRIBUTE_DATA RawStatus(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    return data;
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}
uint64_t LastWriteTicks(const std::string& path) {
    return Ticks(RawStatus(path).ftLastWriteTime);
}

void SetRawTimes(const std::string& path, const FILETIME& time) {
    const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, &time, &time, &time));
    CloseHandle(file);
}

void WriteContent(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

std::string ReadContent(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

auto FailsWith(DWORD osError) {
    return Throws<CFileException>(Field(&CFileException::m_osError, int32_t(osError)));
}

// A test parameter and the name that it gives the test.
template <typename T>
struct Named {
    T m_value;
    const char* m_name;
};

template <typename T>
void PrintTo(const Named<T>& named, std::ostream* out) {
    *out << named.m_name;
}

// Makes folder the current one for the lifetime of the object.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) {
        GetCurrentDirectoryA(MAX_PATH, m_previous);
        EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    }
    ~CurrentFolder() { SetCurrentDirectoryA(m_previous); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    char m_previous[MAX_PATH] = "";
};

// Each test works in a folder of its own under the temporary folder, which
// must be empty of open handles when the test ends: a file the code under
// test left open cannot be deleted and fails the test.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        static int count = 0;
        do {
            m_folder = std::string(temp) + "kelvane-test-" + std::to_string(GetCurrentProcessId()) +
                       "-" + std::to_string(++count);
        } while (!CreateDirectoryA(m_folder.c_str(), nullptr) &&
                 GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_NE(Attributes(m_folder), INVALID_FILE_ATTRIBUTES);
    }

    void TearDown() override {
        ClearFaults();
        for (const std::string& name : FileNames()) {
            const std::string path = PathOf(name);
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            EXPECT_TRUE(DeleteFileA(path.c_str())) << name << " is still open";
        }
        EXPECT_TRUE(RemoveDirectoryA(m_folder.c_str()));
    }

    std::string PathOf(const std::string& name) const { return m_folder + "\\" + name; }

    std::string MakeFile(const std::string& name, const std::string& content) {
        const std::string path = PathOf(name);
        WriteContent(path, content);
        return path;
    }

    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA(PathOf("*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.emplace_back(found.cFileName);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    std::string m_folder;
};

// What the treatment does to a file: save its status, clear read-only,
// hidden and system, rewrite it, put the saved status back.
class FileStatusRestoreWin32 : public TempFolderTest,
                               public ::testing::WithParamInterface<Named<DWORD>> {};

TEST_P(FileStatusRestoreWin32, AttributesAndTimesComeBackToThe100Nanoseconds) {
    const std::string path = MakeFile("index.htm", "<html>\n");
    SetRawTimes(path, kWithFraction);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), GetParam().m_value));
    const DWORD before = Attributes(path);

    FileStatus saved;
    ASSERT_TRUE(GetFileStatus(path, saved));
    FileStatus cleared = saved;
    cleared.m_attributes &= static_cast<uint8_t>(~(kAttrReadOnly | kAttrHidden | kAttrSystem));
    SetFileStatus(path, cleared);
    EXPECT_EQ(Attributes(path) & 0x07, 0u);
    WriteContent(path, "<html></html>\n");
    SetFileStatus(path, saved);

    EXPECT_EQ(Attributes(path), before);
    EXPECT_EQ(LastWriteTicks(path), Ticks(kWithFraction));
    EXPECT_EQ(Ticks(RawStatus(path).ftLastAccessTime), Ticks(kWithFraction));
}

INSTANTIATE_TEST_SUITE_P(ReadOnlyHiddenSystem, FileStatusRestoreWin32,
                         Values(Named<DWORD>{FILE_ATTRIBUTE_READONLY, "ReadOnly"},
                                Named<DWORD>{FILE_ATTRIBUTE_HIDDEN, "Hidden"},
                                Named<DWORD>{FILE_ATTRIBUTE_SYSTEM, "System"}));

class FileStatusWin32 : public TempFolderTest {
protected:
    // A file dated kWithFraction with the given attribute word, and its status.
    std::string MakeDatedFile(DWORD attributes, FileStatus& status) {
        const std::string path = MakeFile("index.htm", "<html>\n");
        SetRawTimes(path, kWithFraction);
        EXPECT_TRUE(SetFileAttributesA(path.c_str(), attributes));
        EXPECT_TRUE(GetFileStatus(path, status));
        return path;
    }
};

TEST_F(FileStatusWin32, ReadsTheTimeAsSecondsSince1970) {
    FileStatus status;
    const std::string path = MakeDatedFile(FILE_ATTRIBUTE_ARCHIVE, status);
    SetRawTimes(path, k2012);
    ASSERT_TRUE(GetFileStatus(path, status));
    EXPECT_EQ(status.m_lastWriteTime, k2012_06_15_10_20_30);
}

// Setting the times needs write access, which a read-only file refuses. A
// failure to set them shows which step came first.
TEST_F(FileStatusWin32, ReadOnlyFileLosesTheBitBeforeItsTimesAreSet) {
    FileStatus status;
    const std::string path = MakeDatedFile(FILE_ATTRIBUTE_READONLY, status);
    status.m_attributes &= static_cast<uint8_t>(~kAttrReadOnly);
    status.m_lastWriteTime = k2012_06_15_10_20_30;
    status.m_lastWriteNanos = 0;

    InjectFault(FileCall::SetTimes, 1, ERROR_ACCESS_DENIED);
    EXPECT_THAT([&] { SetFileStatus(path, status); }, FailsWith(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Attributes(path) & FILE_ATTRIBUTE_READONLY, 0u);

    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_NO_THROW(SetFileStatus(path, status));
    EXPECT_EQ(Attributes(path) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(LastWriteTicks(path), Ticks(k2012));
}

TEST_F(FileStatusWin32, ReadOnlyBitIsSetAfterTheTimes) {
    FileStatus status;
    const std::string path = MakeDatedFile(FILE_ATTRIBUTE_ARCHIVE, status);
    status.m_attributes |= kAttrReadOnly;
    status.m_lastWriteTime = k2012_06_15_10_20_30;
    status.m_lastWriteNanos = 0;

    InjectFault(FileCall::SetTimes, 1, ERROR_ACCESS_DENIED);
    EXPECT_THAT([&] { SetFileStatus(path, status); }, FailsWith(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Attributes(path) & FILE_ATTRIBUTE_READONLY, 0u);

    ASSERT_NO_THROW(SetFileStatus(path, status));
    EXPECT_NE(Attributes(path) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(LastWriteTicks(path), Ticks(k2012));
}

// Any time written back would lose the fraction of a second.
TEST_F(FileStatusWin32, ZeroLastWriteTimeLeavesEveryTimeAlone) {
    FileStatus status;
    const std::string path = MakeDatedFile(FILE_ATTRIBUTE_ARCHIVE, status);
    const WIN32_FILE_ATTRIBUTE_DATA before = RawStatus(path);
    status.m_lastWriteTime = 0;
    status.m_creationTime = k2012_06_15_10_20_30;
    status.m_lastAccessTime = k2012_06_15_10_20_30;

    SetFileStatus(path, status);
    const WIN32_FILE_ATTRIBUTE_DATA after = RawStatus(path);
    EXPECT_EQ(Ticks(after.ftLastWriteTime), Ticks(before.ftLastWriteTime));
    EXPECT_EQ(Ticks(after.ftLastAccessTime), Ticks(before.ftLastAccessTime));
    EXPECT_EQ(Ticks(after.ftCreationTime), Ticks(before.ftCreationTime));
}

TEST_F(FileStatusWin32, TimeAfterJanuary2038SurvivesARoundTrip) {
    FileStatus status;
    const std::string path = MakeDatedFile(FILE_ATTRIBUTE_ARCHIVE, status);
    status.m_creationTime = status.m_lastWriteTime = status.m_lastAccessTime = k2040_01_01;
    status.m_creationNanos = status.m_lastWriteNanos = status.m_lastAccessNanos = 0;

    SetFileStatus(path, status);
    EXPECT_EQ(LastWriteTicks(path), Ticks(FileTimeOf(2040, 1, 1, 0, 0, 0)));
    FileStatus read;
    ASSERT_TRUE(GetFileStatus(path, read));
    EXPECT_EQ(read.m_lastWriteTime, k2040_01_01);
}

TEST_F(FileStatusWin32, TimeNoFileTimeCanHoldRaisesAndLeavesTheTimes) {
    FileStatus status;
    const std::string path = MakeDatedFile(FILE_ATTRIBUTE_ARCHIVE, status);
    for (const int64_t seconds : {INT64_MAX, int64_t{-11644473601}}) {  // past 30828; before 1601
        status.m_lastWriteTime = seconds;
        EXPECT_THROW(SetFileStatus(path, status), CFileException) << seconds;
    }
    EXPECT_EQ(LastWriteTicks(path), Ticks(kWithFraction));
}

TEST_F(FileStatusWin32, MissingFileIsNoStatusAndRaisesFileNotFound) {
    FileStatus status;
    EXPECT_FALSE(GetFileStatus(PathOf(".\\missing.htm"), status));
    EXPECT_EQ(status.m_fullPath, PathOf("missing.htm"));

    const std::string path = PathOf("missing.htm");
    status.m_lastWriteTime = k2012_06_15_10_20_30;
    const auto notFound = FailsWith(ERROR_FILE_NOT_FOUND);
    EXPECT_THAT([&] { SetFileStatus(path, status); }, notFound);
    EXPECT_THAT([&] { RemoveFile(path); }, notFound);
}

// Relative names, so that only their full forms reach the limit: 259
// characters fit a MAX_PATH buffer with the NUL, 260 do not.
TEST_F(FileStatusWin32, FullPathThatDoesNotFitMaxPathIsNoStatus) {
    const CurrentFolder current(m_folder);
    const std::string fits(MAX_PATH - 1 - (m_folder.size() + 1), 'a');
    FileStatus status;
    EXPECT_FALSE(GetFileStatus(fits, status));
    EXPECT_EQ(status.m_fullPath, PathOf(fits));

    EXPECT_FALSE(GetFileStatus(fits + "a", status));
    EXPECT_EQ(status.m_fullPath, "");
}

// Windows keeps such bits (Wine does not); the byte cannot hold them, and
// setting the word to the byte clears them.
TEST_F(FileStatusWin32, AttributeBitsAboveTheByteAreDropped) {
    const std::string path = MakeFile("index.htm", "<html>\n");
    const DWORD notIndexed = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), notIndexed));
    if (Attributes(path) != notIndexed) {
        GTEST_SKIP() << "this file system keeps no attribute bits above the byte";
    }
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(path, status));
    EXPECT_EQ(status.m_attributes, kAttrArchive);

    SetFileStatus(path, status);
    EXPECT_EQ(Attributes(path), DWORD{FILE_ATTRIBUTE_ARCHIVE});
}

TEST_F(FileStatusWin32, InjectedLookupFailureIsNoStatus) {
    const std::string path = MakeFile("index.htm", "<html>\n");
    InjectFault(FileCall::GetStatus, 1, ERROR_ACCESS_DENIED);
    FileStatus status;
    EXPECT_FALSE(GetFileStatus(path, status));
    EXPECT_TRUE(GetFileStatus(path, status));
}

class ReadOnlyFileWin32 : public TempFolderTest {};

TEST_F(ReadOnlyFileWin32, OpenFailsQuietlyWhileAnotherHandleHoldsTheFile) {
    const std::string path = MakeFile("index.htm", "<html>\n");
    const HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    ReadOnlyFile file;
    bool opened = true;
    EXPECT_NO_THROW(opened = file.Open(path));
    EXPECT_FALSE(opened);

    CloseHandle(other);
    EXPECT_TRUE(file.Open(path));
}

TEST_F(ReadOnlyFileWin32, OpenFileLetsNobodyElseOpenIt) {
    const std::string path = MakeFile("index.htm", "<html>\n");
    const auto openShared = [&] {
        return CreateFileA(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(openShared(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});

    file.Close();
    const HANDLE other = openShared();
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    CloseHandle(other);
}

// Bytes that any text conversion on the way would change.
const std::string kOriginal("first\r\nsecond\rthird\0fourth", 26);

class FileReplacementWin32 : public TempFolderTest {};

// A relative path too, which the move that replaces the file must accept.
TEST_F(FileReplacementWin32, CommitPutsTheNewContentInTheFilesPlace) {
    const std::string path = MakeFile("index.htm", kOriginal);
    {
        const CurrentFolder current(m_folder);
        FileReplacement replacement("index.htm");
        EXPECT_THAT(FileNames(), UnorderedElementsAre("index.htm", EndsWith(kTemporarySuffix)));
        replacement.Write("new\n", 4);
        replacement.Commit();
    }
    EXPECT_EQ(ReadContent(path), "new\n");
    EXPECT_THAT(FileNames(), ElementsAre("index.htm"));
}

TEST_F(FileReplacementWin32, DestroyedWithoutCommitLeavesTheOriginal) {
    const std::string path = MakeFile("index.htm", kOriginal);
    {
        FileReplacement replacement(path);
        replacement.Write("new\n", 4);
    }
    EXPECT_EQ(ReadContent(path), kOriginal);
    EXPECT_THAT(FileNames(), ElementsAre("index.htm"));
}

TEST_F(FileReplacementWin32, FailedCommitRemovesTheTemporaryFileAtOnce) {
    const std::string path = MakeFile("index.htm", kOriginal);
    FileReplacement replacement(path);
    replacement.Write("new\n", 4);
    InjectFault(FileCall::Replace, 1, ERROR_ACCESS_DENIED);
    EXPECT_THROW(replacement.Commit(), CFileException);
    EXPECT_THAT(FileNames(), ElementsAre("index.htm"));
}

class FileReplacementFaultWin32 : public TempFolderTest,
                                  public ::testing::WithParamInterface<Named<FileCall>> {};

// The failure names the file by its full path, not as it was given.
TEST_P(FileReplacementFaultWin32, FailureRaisesAndLeavesTheOriginal) {
    const std::string path = MakeFile("index.htm", kOriginal);
    InjectFault(GetParam().m_value, 1, ERROR_ACCESS_DENIED);
    const auto replace = [&] {
        FileReplacement replacement(PathOf(".\\index.htm"));
        replacement.Write("new\n", 4);
        replacement.Commit();
    };
    EXPECT_THAT(replace, Throws<CFileException>(
                             AllOf(Field(&CFileException::m_osError, int32_t{ERROR_ACCESS_DENIED}),
                                   Field(&CFileException::m_fileName, path))));
    EXPECT_EQ(ReadContent(path), kOriginal);
    EXPECT_THAT(FileNames(), ElementsAre("index.htm"));
}

INSTANTIATE_TEST_SUITE_P(WriteFlushReplace, FileReplacementFaultWin32,
                         Values(Named<FileCall>{FileCall::Write, "Write"},
                                Named<FileCall>{FileCall::Flush, "Flush"},
                                Named<FileCall>{FileCall::Replace, "Replace"}));

}  // namespace
