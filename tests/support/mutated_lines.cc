#include "tests/support/mutated_lines.h"

#include <cctype>
#include <string_view>

namespace quintrel_test {

namespace {

// Bytes to insert or overwrite with; the NUL among them needs the explicit size.
constexpr char kOddBytesText[] = " \t\n\v\f\r\0\x01x_\x7f\x80\x85\xa0\xe9\xff";
constexpr std::string_view kOddBytes(kOddBytesText, sizeof(kOddBytesText) - 1);
constexpr std::string_view kDigits = "0123456789";

size_t Pick(std::mt19937& rng, size_t n) { return static_cast<size_t>(rng() % n); }

std::string Number(std::mt19937& rng, unsigned limit) { return std::to_string(rng() % limit); }

void LowercaseKeyword(std::string* line, std::mt19937& rng) {
  static const char* const kKeywords[] = {"API", "Res", "SET", "Server RPC", "sec", "rpc"};
  for (size_t i = line->find(kKeywords[Pick(rng, 6)]); i < line->size() && (*line)[i] != ' '; ++i)
    (*line)[i] = static_cast<char>(std::tolower(static_cast<unsigned char>((*line)[i])));
}

void GrowDigits(std::string* line, size_t digit) {
  const std::string group = line->substr(digit, line->find_first_not_of(kDigits, digit) - digit);
  std::string longer = group;
  while (longer.size() < 12) longer += group;
  line->replace(digit, group.size(), longer);
}

}  // namespace

std::string ValidHeaderLine(std::mt19937& rng) {
  static const char* const kWords[] = {"Wed", "Aug", "W_d", "0", "_", "Mon7"};
  static const char* const kSeparators[] = {" ", "  ", "\t", " \t", "\v", "\f\r"};
  static const char* const kEntries[] = {"API> ", "Res: '", "SET> ", "Server RPC: ", "Other> ",
                                         "API>",  "Res: ",  "SET",   "Server RPC:",  ""};
  static const char* const kTexts[] = {"query,s0,select name from item", "q0'", "'", ""};
  return "# [ " + Number(rng, 100000) + " ] " + kWords[Pick(rng, 6)] + " " + kWords[Pick(rng, 6)] +
         kSeparators[Pick(rng, 6)] + Number(rng, 32) + " 14:03:22 2003 " + Number(rng, 1000000) +
         " ( " + Number(rng, 100) + "." + Number(rng, 10000) + " sec) ( " + Number(rng, 10000) +
         " rpc) " + kEntries[Pick(rng, 10)] + kTexts[Pick(rng, 4)];
}

std::string MutateLine(std::string line, std::mt19937& rng) {
  if (line.empty()) return line;
  const size_t at = Pick(rng, line.size());
  const size_t digit = line.find_first_of(kDigits, at);
  const size_t blank = line.find(' ', at);
  switch (Pick(rng, 8)) {
    case 0:
      line.insert(at, 1, kOddBytes[Pick(rng, kOddBytes.size())]);
      break;
    case 1:
      if (blank != std::string::npos) line.erase(blank, 1);
      break;
    case 2:
      if (blank != std::string::npos) line.insert(blank, 1, ' ');
      break;
    case 3:
      LowercaseKeyword(&line, rng);
      break;
    case 4:
      if (digit != std::string::npos) line[digit] = "0123456789aZ_ "[Pick(rng, 14)];
      break;
    case 5:
      line[at] = kOddBytes[Pick(rng, kOddBytes.size())];
      break;
    case 6:
      line.resize(at);
      break;
    default:
      if (digit != std::string::npos) GrowDigits(&line, digit);
  }
  return line;
}

}  // namespace quintrel_test
