// The soak test's queue: many short tracks made from the playable corpus files, each a
// variant (as is, behind an ID3v2 tag, cut short mid-frame, or with an ID3v1 tag behind),
// written to a folder of the caller's.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> MakeSoakTracks(const std::string& folder, int count);
