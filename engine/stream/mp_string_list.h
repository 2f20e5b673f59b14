// An ordered list of "name=value" lines, as the tag reader collects them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TMPStringList {
 public:
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void AddPair(std::string_view name, std::string_view value);
  void Clear() { lines_.clear(); }

  size_t Count() const { return lines_.size(); }
  bool Empty() const { return lines_.empty(); }
  const std::string& operator[](size_t i) const { return lines_[i]; }
  std::vector<std::string>::const_iterator begin() const { return lines_.begin(); }
  std::vector<std::string>::const_iterator end() const { return lines_.end(); }

  // Value of the first line whose name (everything before its first "=") equals name,
  // compared without regard to ASCII case; empty when there is none.
  std::string Values(std::string_view name) const;

 private:
  std::vector<std::string> lines_;
};
