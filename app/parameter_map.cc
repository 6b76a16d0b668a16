#include "app/parameter_map.h"

#include <cstdio>

namespace quintrel {

#define QUINTREL_BANNER "Palvero Profiler v1.3\n\n"

const char VERSION[] = "1.3";
const char BANNER[] = QUINTREL_BANNER;
const char USAGE_TEXT[] = QUINTREL_BANNER
    "Usage:\n"
    "quintrel tracefile outputfile [options]\n"
    "options: -s[ummary] { TEXT | HTML | XML }\n"
    "         -d[etail]  { RAW | CSV }\n"
    "         -r[pconly]\n"
    "         -l[istthreads]\n";

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
    case 'd': {
      detailSeen_ = true;
      values_["summary"] = "false";
      if (*index + 1 >= argc) {
        std::printf("detail mode option must specifiy RAW or CSV format\n");
        return false;
      }
      std::string format = argv[++*index];
      if (format != "RAW" && format != "CSV") {
        std::printf("outputformat must be RAW or CSV\n");
        return false;
      }
      values_["outputformat"] = format;
      return true;
    }
    case 's': {
      summarySeen_ = true;
      values_["summary"] = "true";
      if (*index + 1 >= argc) {
        std::printf("summary mode option must specifiy TEXT, HTML or XML format\n");
        return false;
      }
      std::string format = argv[++*index];
      if (format != "TEXT" && format != "HTML" && format != "XML") {
        std::printf("outputformat must be TEXT, HTML or XML format\n");
        return false;
      }
      values_["summaryformat"] = format;
      return true;
    }
    default:
      return true;  // words that select nothing are ignored
  }
}

void ParameterMap::usage() const { std::printf("%s", USAGE_TEXT); }

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
