#pragma once

#include <string>

// A signature that is empty or only blanks (spaces, tabs, line breaks) is found in nearly every
// line of every file: a scan with it would cut, or delete, almost every file it meets. Both
// front ends refuse it before anything is read.
bool IsBlankSignature(const std::string& signature);
