// Arbitrary lines and search texts through the treatment's removal loop: the
// loop ends, each call logs as its result says, and every line that is left
// is a line it was given or the text after the last string in one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "support/capture_host.h"
#include "treat/remove_virus_block.h"

namespace {

// Records: the code page, the signature, the first string, the last string,
// then the lines.
constexpr std::size_t kFirstLineRecord = 4;

// One call removes a run of adjacent lines and may keep one line of that run
// cut to its tail after the last string (the start line when it holds the
// last string itself, else the end line): the rest stays as it was.
bool IsCutFrom(const LineList& beforeList, const LineList& afterList, const std::string& last) {
    const std::vector<Line> before(beforeList.begin(), beforeList.end());
    const std::vector<Line> after(afterList.begin(), afterList.end());
    if (after.size() > before.size()) {
        return false;
    }
    const auto kept = std::mismatch(after.begin(), after.end(), before.begin());
    const auto keptAtEnd =
        std::mismatch(after.rbegin(), std::make_reverse_iterator(kept.first), before.rbegin());
    const auto cut = std::distance(kept.first, keptAtEnd.first.base());
    const std::string ending = last + std::string(cut == 1 ? *kept.first : Line());
    return cut == 0 ||
           (cut == 1 && std::any_of(kept.second, keptAtEnd.second.base(), [&](const Line& l) {
                return l.size() >= ending.size() &&
                       l.compare(l.size() - ending.size(), ending.size(), ending) == 0;
            }));
}

std::size_t Weight(const LineList& lines) {
    return std::accumulate(
        lines.begin(), lines.end(), lines.size(),
        [](std::size_t weight, const Line& line) { return weight + line.size(); });
}

void CheckCall(int result, const LineList& before, const LineList& after,
               const std::vector<std::string>& log, const std::string& last) {
    Require(result >= kNoSignature && result <= kBlockNotDelimited, "result is 0, 1 or 2");
    Require(IsCutFrom(before, after, last),
            "a run of lines removed, at most one of them kept cut after the last string");
    if (result == kNoSignature) {
        Require(after == before && log.empty(), "no signature: nothing changed, nothing logged");
        return;
    }
    Require(log.size() == 1 && log[0] == (result == kBlockRemoved ? LogText::kRemoveOk
                                                                  : LogText::kBlockNotDelimited),
            "one log line that matches the result");
    // A removal must make the list smaller, or the loop could go on for ever.
    Require(result != kBlockRemoved || Weight(after) < Weight(before),
            "a removal shrinks the list");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::vector<std::string> records = SplitRecords(data, size);
    if (records.size() < kFirstLineRecord || records[1].empty()) {
        return 0;  // an empty signature is refused before any scan
    }
    CaptureHost host;
    host.m_strSignature = records[1];
    host.m_strFirstString = records[2];
    host.m_strLastString = records[3];
    const CodePage codePage = CodePageFrom(records[0]);
    LineList lines(records.begin() + kFirstLineRecord, records.end());
    // The treatment's loop: again while a block was removed. Each removal
    // takes away a line or at least one byte of one, so it ends within this.
    const std::size_t maxCalls = Weight(lines) + 1;
    for (std::size_t calls = 1;; ++calls) {
        Require(calls <= maxCalls, "the removal loop ends");
        const LineList before = lines;
        host.m_log.clear();
        const int result = RemoveVirusBlock(lines, codePage);
        CheckCall(result, before, lines, host.m_log, host.m_strLastString);
        if (result != kBlockRemoved) {
            return 0;
        }
    }
}
