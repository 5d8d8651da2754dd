#pragma once

#include <optional>
#include <string>

// Why a PATH given on the command line cannot be scanned ("cannot find or
// read it", "cannot list the folder"), or nothing when it can.
std::optional<std::string> WhyUnscannable(const std::string& path);
