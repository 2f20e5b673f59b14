// varo-play --info: what the tag reader finds in a file.
#pragma once

#include <ostream>
#include <string>

// Prints the report of one file; false when the file holds no playable audio (the error
// text is printed as well).
bool ReportFileInfo(const std::string& fileName, std::ostream& out, std::ostream& err);
