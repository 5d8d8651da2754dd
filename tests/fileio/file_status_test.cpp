#include "fileio/file_status.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "fileio/fault_injection.h"
#include "fileio/file_exception.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

struct OrderCase {
    const char* m_name;
    bool m_readOnlyBefore;
    bool m_readOnlyWanted;
};

class StatusStepOrderTest : public ::testing::TestWithParam<OrderCase> {
protected:
    void TearDown() override { ClearFaults(); }

    bool IsReadOnly(const std::string& path) {
        FileStatus status;
        EXPECT_TRUE(GetFileStatus(path, status));
        return (status.m_attributes & kAttrReadOnly) != 0;
    }

    TempDir m_dir;
};

// Setting the times needs write access, which a read-only file refuses: a
// read-only bit is cleared before the times and set after them. When
// setting the times fails, the file shows which step came first.
TEST_P(StatusStepOrderTest, ReadOnlyIsClearedBeforeTheTimesAndSetAfterThem) {
    const OrderCase& row = GetParam();
    const std::string path = m_dir.Write("page.htm", "text");
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(path, status));
    status.m_attributes = row.m_readOnlyBefore ? kAttrReadOnly : 0;
    const int64_t lastWrite = std::exchange(status.m_lastWriteTime, 0);
    SetFileStatus(path, status);
    ASSERT_EQ(IsReadOnly(path), row.m_readOnlyBefore);

    status.m_attributes = row.m_readOnlyWanted ? kAttrReadOnly : 0;
    status.m_lastWriteTime = lastWrite;
    InjectFault(FileCall::SetTimes, 1, kAccessDeniedError);
    EXPECT_THROW(SetFileStatus(path, status), CFileException);
    EXPECT_FALSE(IsReadOnly(path));
}

INSTANTIATE_TEST_SUITE_P(Rows, StatusStepOrderTest,
                         ::testing::Values(OrderCase{"Clearing", true, false},
                                           OrderCase{"Setting", false, true}),
                         [](const auto& info) { return std::string(info.param.m_name); });

}  // namespace
