#pragma once

#include <list>
#include <string>

// A line is one line of a text file without its line break. It carries its
// own length, so a NUL byte is an ordinary byte of the line.
using Line = std::string;

// One file held in memory, line by line, in file order.
using LineList = std::list<Line>;
