#include "stream/mp_string_list.h"

#include <cctype>

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

void TMPStringList::AddPair(std::string_view name, std::string_view value) {
  std::string line;
  line.reserve(name.size() + 1 + value.size());
  line.append(name).append("=").append(value);
  lines_.push_back(std::move(line));
}

std::string TMPStringList::Values(std::string_view name) const {
  for (const std::string& line : lines_) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos && SameName(std::string_view(line).substr(0, eq), name))
      return line.substr(eq + 1);
  }
  return {};
}
