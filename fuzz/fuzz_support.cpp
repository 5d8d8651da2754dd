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

namespace {

CodePage::LeadRanges LeadRangesFrom(const std::string& record) {
    CodePage::LeadRanges ranges;
    for (std::size_t pos = 1; pos + 1 < record.size(); pos += 2) {
        ranges.emplace_back(static_cast<unsigned char>(record[pos]),
                            static_cast<unsigned char>(record[pos + 1]));
    }
    if (ranges.empty()) {
        ranges = {{0x81, 0x9F}, {0xE0, 0xFC}};
    }
    return ranges;
}

// Full-width a to z, whose upper case is full-width A to Z.
CodePage::UpperCase FullWidthUpperCase() {
    CodePage::UpperCase upper;
    for (uint16_t letter = 0; letter < 26; ++letter) {
        upper[static_cast<uint16_t>(0x8281 + letter)] = static_cast<uint16_t>(0x8260 + letter);
    }
    return upper;
}

}  // namespace

CodePage CodePageFrom(const std::string& record) {
    if (record.empty() || record[0] % 2 == 0) {
        return CodePage::SingleByte();
    }
    return CodePage::DoubleByte(LeadRangesFrom(record), FullWidthUpperCase());
}

void Require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}
