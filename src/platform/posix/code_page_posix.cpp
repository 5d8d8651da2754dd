#include "core/code_page.h"

// Paths and file contents are plain bytes here; there is no ANSI code page.
const CodePage& SystemCodePage() {
    static const CodePage singleByte = CodePage::SingleByte();
    return singleByte;
}
