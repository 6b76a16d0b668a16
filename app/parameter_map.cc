#include "app/parameter_map.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "report/version.h"

namespace quintrel {

namespace {

const char kUsage[] =
    "Usage:\n"
    "quintrel tracefile outputfile [options]\n"
    "options: -s[ummary] { TEXT | HTML | XML }\n"
    "         -d[etail]  { RAW | CSV }\n"
    "         -r[pconly]\n"
    "         -l[istthreads]\n";

}  // namespace

// The value that follows a format option: where it goes, what it may be, and
// the messages for a missing or wrong value.
struct ParameterMap::FormatOption {
  const char* key;
  std::vector<std::string> allowed;
  const char* missingMessage;
  const char* wrongMessage;
};

const ParameterMap::FormatOption ParameterMap::kDetailFormat = {
    "outputformat",
    {"RAW", "CSV"},
    "detail mode option must specifiy RAW or CSV format\n",
    "outputformat must be RAW or CSV\n"};

const ParameterMap::FormatOption ParameterMap::kSummaryFormat = {
    "summaryformat",
    {"TEXT", "HTML", "XML"},
    "summary mode option must specifiy TEXT, HTML or XML format\n",
    "outputformat must be TEXT, HTML or XML format\n"};

ParameterMap::ParameterMap() {
  values_["tracefile"] = "";
  values_["outputfile"] = "CONSOLE";
  values_["listthreads"] = "false";
  values_["thread"] = "*";
  values_["rpconly"] = "false";
  values_["outputformat"] = "RAW";
  values_["summary"] = "true";
  values_["summaryformat"] = "HTML";
}

bool ParameterMap::parse(int argc, const char* const* argv) {
  if (argc < 3) return false;
  values_["tracefile"] = argv[1];
  values_["outputfile"] = argv[2];
  for (int index = 3; index < argc; ++index) {
    std::string argument = argv[index];
    if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) {
      std::printf("unexpected parameter %s\n", argument.c_str());
      return false;
    }
    if (!parseOption(argument.substr(1), argc, argv, &index)) return false;
  }
  if (dumpRequested_) {
    for (const auto& [key, value] : values_) std::printf("%s : %s\n", key.c_str(), value.c_str());
  }
  if (detailSeen_ && summarySeen_) {
    std::printf("detail and summary mode are mutually exclusive\n");
    return false;
  }
  return true;
}

// Handles one option word (the argument without its '-' or '/'); `index`
// moves past a value the option consumes.
bool ParameterMap::parseOption(const std::string& word, int argc, const char* const* argv,
                               int* index) {
  if (word == "X") {
    dumpRequested_ = true;
    return true;
  }
  char letter = word.empty() ? '\0' : word[0];
  switch (letter) {
    case 'l':
      values_["listthreads"] = "true";
      return true;
    case 'r':
      values_["rpconly"] = "true";
      return true;
    case 'v':
      values_["version"] = "true";
      return true;
    case 'd':
      detailSeen_ = true;
      values_["summary"] = "false";
      return takeFormat(kDetailFormat, argc, argv, index);
    case 's':
      summarySeen_ = true;
      values_["summary"] = "true";
      return takeFormat(kSummaryFormat, argc, argv, index);
    default:
      return true;  // words that select nothing are ignored
  }
}

// Consumes the argument after the option as its value, whatever it looks
// like, and stores it when it is one of the allowed formats.
bool ParameterMap::takeFormat(const FormatOption& option, int argc, const char* const* argv,
                              int* index) {
  if (*index + 1 >= argc) {
    std::printf("%s", option.missingMessage);
    return false;
  }
  std::string format = argv[++*index];
  if (std::find(option.allowed.begin(), option.allowed.end(), format) == option.allowed.end()) {
    std::printf("%s", option.wrongMessage);
    return false;
  }
  values_[option.key] = format;
  return true;
}

void ParameterMap::usage() const { std::printf("%s%s", BANNER, kUsage); }

std::string ParameterMap::get(const std::string& key) const {
  auto found = values_.find(key);
  return found == values_.end() ? std::string() : found->second;
}

bool ParameterMap::contains(const std::string& key) const { return values_.count(key) != 0; }

bool ParameterMap::isSummary() const { return get("summary") == "true"; }

bool ListThreadsRequested(const ParameterMap& parameters) {
  return parameters.get("listthreads") == "true";
}

bool RpcOnlyRequested(const ParameterMap& parameters) {
  return parameters.get("rpconly") == "true";
}

}  // namespace quintrel
