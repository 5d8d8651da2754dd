#include "scan/scan_stats.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/capture_host.h"

namespace {

using ::testing::ElementsAre;

class ScanStatsTest : public ::testing::Test {
protected:
    CaptureHost m_host;
    CScanStats m_stats;
};

TEST_F(ScanStatsTest, ReportWithoutProblemFilesHasNoListHeading) {
    m_stats.ReportAndReset();
    EXPECT_THAT(m_host.m_log, ElementsAre("REPORT:", "Total checked files: 0",
                                          "Infected and successful treat files: 0",
                                          "Error while treat files: 0"));
}

TEST_F(ScanStatsTest, ReportListsCountsAndProblemFilesInOrderDuplicatesIncluded) {
    for (int i = 0; i < 12; ++i) {
        m_stats.CountChecked();
    }
    m_stats.CountTreated();
    m_stats.CountTreated();
    m_stats.CountError();
    m_stats.AddProblemFile("C:\\b.htm");
    m_stats.AddProblemFile("C:\\a.htm");
    m_stats.AddProblemFile("C:\\b.htm");
    m_stats.ReportAndReset();
    EXPECT_THAT(
        m_host.m_log,
        ElementsAre("REPORT:", "Total checked files: 12", "Infected and successful treat files: 2",
                    "Error while treat files: 1", "List of files causes problems:", "C:\\b.htm",
                    "C:\\a.htm", "C:\\b.htm"));
}

TEST_F(ScanStatsTest, ProblemListAndErrorCountAreIndependent) {
    m_stats.AddProblemFile("/w/x.htm");
    m_stats.ReportAndReset();
    EXPECT_THAT(
        m_host.m_log,
        ElementsAre("REPORT:", "Total checked files: 0", "Infected and successful treat files: 0",
                    "Error while treat files: 0", "List of files causes problems:", "/w/x.htm"));
}

TEST_F(ScanStatsTest, SecondReportStartsFromZeroWithoutTheFirstScansPaths) {
    m_stats.CountChecked();
    m_stats.CountError();
    m_stats.AddProblemFile("C:\\a.htm");
    m_stats.ReportAndReset();
    m_host.m_log.clear();
    m_stats.CountChecked();
    m_stats.ReportAndReset();
    EXPECT_THAT(m_host.m_log, ElementsAre("REPORT:", "Total checked files: 1",
                                          "Infected and successful treat files: 0",
                                          "Error while treat files: 0"));
}

}  // namespace
