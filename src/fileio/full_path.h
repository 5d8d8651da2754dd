#pragma once

#include <string>

// The absolute form of a path as the platform forms it, without following
// links; empty when it cannot be formed (or, on Windows, needs more than
// 259 characters).
std::string FullPathOf(const std::string& path);
