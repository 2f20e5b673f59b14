#include "play_commands.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <utility>

namespace {

struct TCommandName {
  std::string_view Name;
  TPlayCommand::TKind Kind;
};

constexpr TCommandName kCommands[] = {
    {"pause", TPlayCommand::Pause},   {"resume", TPlayCommand::Resume},   {"play", TPlayCommand::Play},
    {"stop", TPlayCommand::Stop},     {"next", TPlayCommand::Next},       {"quit", TPlayCommand::Quit},
    {"volume", TPlayCommand::Volume}, {"balance", TPlayCommand::Balance}, {"seek", TPlayCommand::Seek},
};

constexpr double kLongestSeek = 1e7;  // seconds; far past any track

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool ParsePlayCommand(std::string_view line, TPlayCommand& command, std::string& error) {
  line = Trimmed(line);
  const auto space = line.find_first_of(" \t");
  const std::string_view name = line.substr(0, space);
  const std::string_view argument =
      space == std::string_view::npos ? std::string_view() : Trimmed(line.substr(space));
  for (const TCommandName& known : kCommands) {
    if (known.Name != name) continue;
    command.Kind = known.Kind;
    if (known.Kind == TPlayCommand::Seek) {
      if (ParseSeconds(argument, command.Seconds)) return true;
      error = "seek needs a number of seconds, 0 or more";
      return false;
    }
    const bool needsNumber = known.Kind == TPlayCommand::Volume || known.Kind == TPlayCommand::Balance;
    if (!needsNumber) {
      if (argument.empty()) return true;
      error = std::string(name) + " takes no argument";
      return false;
    }
    const int low = known.Kind == TPlayCommand::Volume ? 0 : -100;
    int value = 0;
    const auto [end, ec] = std::from_chars(argument.data(), argument.data() + argument.size(), value);
    if (argument.empty() || ec != std::errc() || end != argument.data() + argument.size() || value < low ||
        value > 100) {
      error = std::string(name) + " needs a number in " + (low == 0 ? "0..100" : "-100..100");
      return false;
    }
    command.Value = value;
    return true;
  }
  error = "unknown command '" + std::string(line) + "'";
  return false;
}

bool ParseSeconds(std::string_view text, double& seconds) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !(value >= 0) ||
      value > kLongestSeek)
    return false;
  seconds = value;
  return true;
}

TCommandLines::TCommandLines(int fd) : fd_(fd) {
  const int flags = fcntl(fd_, F_GETFL);
  if (flags < 0 || fcntl(fd_, F_SETFL, flags | O_NONBLOCK) < 0) atEnd_ = true;
}

std::vector<std::string> TCommandLines::ReadAvailable() {
  std::vector<std::string> lines;
  char buffer[512];
  while (!atEnd_) {
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got > 0) {
      partial_.append(buffer, static_cast<size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    atEnd_ = true;  // end of input, or an error that will not go away
  }
  size_t start = 0;
  for (size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(partial_.substr(start, end - start));
  partial_.erase(0, start);
  if (atEnd_ && !partial_.empty()) lines.push_back(std::exchange(partial_, std::string()));
  return lines;
}
