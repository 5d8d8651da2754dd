#pragma once

#include <optional>
#include <string>

#include "core/line_list.h"

// Appends the file's lines to lines. LF, CR LF and a lone CR each end a line;
// a last line without a break counts, an empty tail does not. False, with
// lines untouched, when the file cannot be opened for reading; raises
// CFileException when reading or closing fails (the lines read so far stay
// appended) and CMemoryException when a line cannot be stored.
// Given a text the lines must hold, a file whose bytes do not hold it
// anywhere has no such line, so its lines are not built at all: it is read
// through once, in chunks, and lines stays empty. A file that holds it is
// read a second time, as lines, through the same open file.
bool ReadLines(const std::string& path, LineList& lines, const std::string& holding = {});

// Whether the file's bytes hold the text, which must not be empty: the file
// is read through once, as ReadLines reads a file that does not hold the
// text it is given. Nothing when the file cannot be opened for reading;
// raises as ReadLines does. Safe from any thread.
std::optional<bool> SearchFile(const std::string& path, const std::string& text);

// Replaces the file's content by the lines, each followed by one LF. The new
// content is written beside the file and flushed before it takes the file's
// place, so the file is always either as it was or complete. Raises
// CFileException when anything fails; the file is then untouched.
void WriteLines(const std::string& path, const LineList& lines);
