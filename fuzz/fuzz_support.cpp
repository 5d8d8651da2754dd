#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

std::vector<std::string> SplitRecords(const uint8_t* data, std::size_t size) {
    std::vector<std::string> records(1);
    for (std::size_t pos = 0; pos < size; ++pos) {
        if (data[pos] == '\n') {
            records.emplace_back();
        } else {
            records.back().push_back(static_cast<char>(data[pos]));
        }
    }
    return records;
}

CodePage CodePageFrom(const std::string& record) {
    if (record.empty() || record[0] % 2 == 0) {
        return CodePage::SingleByte();
    }
    CodePage::LeadRanges ranges;
    for (std::size_t pos = 1; pos + 1 < record.size(); pos += 2) {
        ranges.emplace_back(static_cast<unsigned char>(record[pos]),
                            static_cast<unsigned char>(record[pos + 1]));
    }
    if (ranges.empty()) {
        ranges = {{0x81, 0x9F}, {0xE0, 0xFC}};
    }
    return CodePage::DoubleByte(ranges);
}

void Require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}
