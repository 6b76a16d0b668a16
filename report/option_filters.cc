#include "report/option_filters.h"

#include <sstream>

namespace quintrel {

namespace {

bool StartsWith(const std::string& word, const char* prefix) { return word.rfind(prefix, 0) == 0; }

bool IsOption(const std::string& word) { return word[0] == '-' || word[0] == '/'; }

bool IsTimeBound(const std::string& word) {
  return StartsWith(word, "--since=") || StartsWith(word, "--until=");
}

// A one-letter option: "-r", "-rpconly", "/r"; not a long option.
bool IsLetterOption(const std::string& word, char letter) {
  return word.size() >= 2 && IsOption(word) && word[1] == letter;
}

}  // namespace

std::vector<std::string> FilterOptions(const std::string& options) {
  std::vector<std::string> filters;
  std::istringstream words(options);
  bool inTime = false;       // the last filter is a time that may go on after a blank
  bool afterFormat = false;  // the word is the value of -s or -d
  for (std::string word; words >> word;) {
    bool value = afterFormat;
    afterFormat = !value && (IsLetterOption(word, 's') || IsLetterOption(word, 'd'));
    if (inTime && !IsOption(word)) {
      filters.back() += " " + word;
      continue;
    }
    inTime = IsTimeBound(word);
    if (value) continue;
    if (inTime || StartsWith(word, "--threads=") || IsLetterOption(word, 'r') ||
        IsLetterOption(word, 'l')) {
      filters.push_back(word);
    }
  }
  return filters;
}

}  // namespace quintrel
