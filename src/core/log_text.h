#pragma once

#include <cstdint>
#include <string>

// Every line of the scan's log, the window's text byte for byte, in one
// place: the engine writes them, the command prints them and the tests
// expect them from here. Their spelling is the window's and stays as it is.
namespace LogText {

inline constexpr char kRemoveOk[] = "       ==>>Infected. Remove OK!!!";
inline constexpr char kBlockNotDelimited[] =
    "       ==>>Infected. Treat error: The first line of virus not found!";
inline constexpr char kReadError[] = "     ...File read ore open error!!!";
inline constexpr char kWriteError[] = "     ...File write ore open error!!!";
inline constexpr char kStatusError[] = "     ...File attributes ore times restore error!!!";

inline constexpr char kEndBanner[] = "==================== It is all !!! ===================";
inline constexpr char kBreakBanner[] = "==================== Break by user.===================";
inline constexpr char kReportHeading[] = "REPORT:";
inline constexpr char kProblemListHeading[] = "List of files causes problems:";

// The banner before each drive, or each PATH of the command.
std::string DriveBanner(const std::string& root);
// The line of a file that was to be deleted and could not be; the path and
// the text run together, as the window has always shown them.
std::string RemoveError(const std::string& path);
// The report's three counts.
std::string CheckedCount(int32_t files);
std::string TreatedCount(int32_t files);
std::string ErrorCount(int32_t files);

}  // namespace LogText
