#include "core/log_text.h"

namespace LogText {

std::string DriveBanner(const std::string& root) {
    return "==================== Drive " + root + " ===================";
}

std::string RemoveError(const std::string& path) {
    return "File " + path + "remove error!!!";
}

std::string CheckedCount(int32_t files) {
    return "Total checked files: " + std::to_string(files);
}

std::string TreatedCount(int32_t files) {
    return "Infected and successful treat files: " + std::to_string(files);
}

std::string ErrorCount(int32_t files) {
    return "Error while treat files: " + std::to_string(files);
}

}  // namespace LogText
