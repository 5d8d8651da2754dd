#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/code_page.h"

// The targets' inputs are text records separated by LF, so that a seed can be
// written by hand and read in a diff.
std::vector<std::string> SplitRecords(const uint8_t* data, std::size_t size);

// A code page chosen by a settings record: single-byte when the record is
// empty or its first byte is even; double-byte otherwise, with the lead
// ranges given by the byte pairs that follow (a common range when there are
// none).
CodePage CodePageFrom(const std::string& record);

// Ends the run with the broken property named, so that libFuzzer keeps the input.
void Require(bool holds, const char* property);
