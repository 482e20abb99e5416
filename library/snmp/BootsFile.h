#pragma once

#include <string>

// The engine boots counter file: one line "<engine id hex> <boots>" per engine. A start reads
// this module's count, adds one and replaces the whole file atomically under an advisory lock on
// its folder, keeping every other line, so side-by-side instances never lose or repeat a count.
namespace bootsfile {

// hex("CvSNMP_PP_Application")
extern const char* const applicationKey;

// Increments the count of the key in the file and returns the new count (a missing file, line or
// unreadable count counts as 0; capped at 2147483647). When the file cannot be written the new
// count is still returned and error is set.
int increment(const std::string& path, const std::string& key, bool* error = nullptr);

}  // namespace bootsfile
