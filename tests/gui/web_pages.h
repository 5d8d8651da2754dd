#pragma once

#include <string>

// Web pages as their authors wrote them, with the virus's block appended, and as a scan leaves
// them: every line followed by a single line feed.

inline std::string Page(const std::string& body, const std::string& eol) {
    return "<html>" + eol + "<body>" + body + "</body>" + eol + "</html>" + eol;
}

inline std::string VirusBlock(const std::string& eol) {
    return "<script language=VBScript>" + eol + "On Error Resume Next" + eol +
           "Rem I am sorry! happy time" + eol + "</script>" + eol;
}

inline std::string Infected(const std::string& body, const std::string& eol) {
    return Page(body, eol) + VirusBlock(eol);
}

inline std::string Cleaned(const std::string& body) {
    return Page(body, "\n");
}
