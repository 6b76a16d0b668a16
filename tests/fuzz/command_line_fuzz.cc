// Fuzz target: arbitrary argument vectors through the command-line parser.
// The input is split at NUL bytes into the arguments after the program name.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/parameter_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words = {"quintrel", ""};
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) words.emplace_back();
    if (data[i] != 0) words.back() += static_cast<char>(data[i]);
  }
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  quintrel::ParameterMap parameters;
  if (!parameters.parse(static_cast<int>(argv.size()), argv.data())) parameters.usage();
  parameters.isSummary();
  return 0;
}
