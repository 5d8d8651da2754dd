#include "treat/remove_virus_block.h"

#include "core/log_text.h"
#include "core/scan_host.h"

namespace {

// One call's walk over the list. Lines are removed as they are visited, so a
// failure leaves the lines removed so far removed.
class BlockRemover {
public:
    BlockRemover(LineList& lines, const CodePage& codePage, const ScanSettings& settings)
        : m_lines(lines), m_codePage(codePage), m_settings(settings) {}

    int Run() {
        const Iter signatureLine = FindSignatureLine();
        if (signatureLine == m_lines.end()) {
            return kNoSignature;
        }
        return WalkForwardToEndLine(WalkBackToStartLine(signatureLine)) ? Succeed() : Fail();
    }

private:
    using Iter = LineList::iterator;

    std::size_t Find(const Line& line, const std::string& text) const {
        return m_codePage.Find(line, text);
    }

    Iter Remove(Iter line) {
        m_changedList = true;
        return m_lines.erase(line);
    }

    Iter FindSignatureLine() {
        for (Iter line = m_lines.begin(); line != m_lines.end(); ++line) {
            if (Find(*line, m_settings.m_strSignature) != CodePage::npos) {
                return line;
            }
        }
        return m_lines.end();
    }

    // Walks back from the signature line, removing lines, to the line that
    // holds the first string. Returns where the forward walk begins: the
    // start line itself when it stays, the line after it when it went; end()
    // when no line holds the first string, so the forward walk fails too.
    Iter WalkBackToStartLine(Iter current) {
        for (;;) {
            const Iter before = current == m_lines.begin() ? m_lines.end() : std::prev(current);
            const std::size_t pos = Find(*current, m_settings.m_strFirstString);
            if (pos == 0 || pos == CodePage::npos) {
                Remove(current);
            }
            if (pos != CodePage::npos) {
                return before == m_lines.end() ? m_lines.begin() : std::next(before);
            }
            if (before == m_lines.end()) {
                return m_lines.end();
            }
            current = before;
        }
    }

    // Walks forward, removing lines, to the line that holds the last string;
    // that line keeps only the text after it. False when no line holds it.
    bool WalkForwardToEndLine(Iter current) {
        const std::string& last = m_settings.m_strLastString;
        while (current != m_lines.end()) {
            const std::size_t pos = Find(*current, last);
            if (pos == CodePage::npos) {
                current = Remove(current);
            } else if (current->size() == last.size()) {
                Remove(current);
                return true;
            } else {
                return KeepTextAfter(*current, pos + last.size());
            }
        }
        return false;
    }

    // An empty last string at the very start of a line that the backward walk
    // kept would leave the list as it was, and the caller would find the same
    // block for ever; such a call counts as a failure.
    bool KeepTextAfter(Line& line, std::size_t end) {
        if (end == 0 && !m_changedList) {
            return false;
        }
        line.remove_prefix(end);
        return true;
    }

    int Succeed() {
        ScanHost().AddLogLine(LogText::kRemoveOk);
        return kBlockRemoved;
    }

    int Fail() {
        ScanHost().AddLogLine(LogText::kBlockNotDelimited);
        return kBlockNotDelimited;
    }

    LineList& m_lines;
    const CodePage& m_codePage;
    const ScanSettings& m_settings;
    bool m_changedList = false;
};

}  // namespace

int RemoveVirusBlock(LineList& lines) {
    return RemoveVirusBlock(lines, SystemCodePage());
}

int RemoveVirusBlock(LineList& lines, const CodePage& codePage) {
    return BlockRemover(lines, codePage, ScanHost()).Run();
}
