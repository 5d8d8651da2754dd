#include <windows.h>

#include "core/code_page.h"

namespace {

CodePage ReadAnsiCodePage() {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize < 2) {
        return CodePage::SingleByte();
    }
    // LeadByte holds up to six inclusive ranges, ended by a pair of zeros.
    CodePage::LeadRanges leads;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        leads.emplace_back(info.LeadByte[i], info.LeadByte[i + 1]);
    }
    return CodePage::DoubleByte(leads);
}

}  // namespace

const CodePage& SystemCodePage() {
    static const CodePage ansi = ReadAnsiCodePage();
    return ansi;
}
