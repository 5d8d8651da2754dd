#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/line_list.h"

// Cuts a byte stream, fed in pieces of any size, into lines. LF and CR LF end
// a line; a CR followed by any other byte ends it too, and that byte begins
// the next line, so no byte is lost. A NUL byte is an ordinary byte.
class LineSplitter {
public:
    void Feed(const char* data, std::size_t size, LineList& lines);
    // The end of the stream: a last line without a break counts, an empty
    // one (nothing after the last break, or a lone CR there) does not.
    void Finish(LineList& lines);

private:
    void EndLine(std::string_view tail, LineList& lines);

    std::string m_line;      // the start of a line that the next piece goes on with
    bool m_afterCr = false;  // a CR ended the last piece; the next byte decides
};
