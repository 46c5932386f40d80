// The Windows command-line quoting in both directions, shared by both backends: pure code.
#include "platform/testing/command_line.h"

#include <string>
#include <vector>

namespace {

void AppendQuotedArgument(std::string& line, const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
    line += argument;
    return;
  }
  line += '"';
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      line.append(backslashes * 2 + 1, '\\');
    } else {
      line.append(backslashes, '\\');
    }
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
}

}  // namespace

namespace platform {

std::string BuildCommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (i == 0) {
      // The program name ends at the first space or tab, or at the closing quote; a quote
      // inside it cannot be written in a way CommandLineToArgvW reads back, so it is dropped.
      std::string name;
      for (const char c : argument) {
        if (c != '"') name += c;
      }
      const bool quote = name.empty() || name.find_first_of(" \t") != std::string::npos;
      line += quote ? '"' + name + '"' : name;
      continue;
    }
    line += ' ';
    AppendQuotedArgument(line, argument);
  }
  return line;
}

std::vector<WideString> SplitCommandLine(WideStringView line) {
  std::vector<WideString> arguments;
  std::size_t i = 0;
  const std::size_t n = line.size();

  // The program name: up to the first blank, or between quotes, taken verbatim.
  WideString name;
  bool quoted = false;
  for (; i < n; ++i) {
    const WCHAR c = line[i];
    if (c == u'"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (c == u' ' || c == u'\t')) break;
    name += c;
  }
  arguments.push_back(name);

  for (;;) {
    while (i < n && (line[i] == u' ' || line[i] == u'\t')) ++i;
    if (i >= n) break;
    WideString argument;
    bool inQuotes = false;
    while (i < n) {
      const WCHAR c = line[i];
      if (!inQuotes && (c == u' ' || c == u'\t')) break;
      if (c == u'\\') {
        std::size_t backslashes = 0;
        while (i < n && line[i] == u'\\') {
          ++backslashes;
          ++i;
        }
        if (i < n && line[i] == u'"') {
          argument.append(backslashes / 2, u'\\');
          if (backslashes % 2 == 1) {
            argument += u'"';
            ++i;
          }
        } else {
          argument.append(backslashes, u'\\');
        }
        continue;
      }
      if (c == u'"') {
        if (inQuotes && i + 1 < n && line[i + 1] == u'"') {
          // "" inside quotes is one literal quote and keeps the quoted mode.
          argument += u'"';
          i += 2;
          continue;
        }
        inQuotes = !inQuotes;
        ++i;
        continue;
      }
      argument += c;
      ++i;
    }
    arguments.push_back(argument);
  }
  return arguments;
}

}  // namespace platform
