#include "analysis/text_pattern.h"

#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace quintrel {
namespace {

bool Search(const std::string& pattern, const std::string& text) {
  TextPattern compiled;
  std::string error;
  EXPECT_TRUE(compiled.compile(pattern, &error)) << pattern << ": " << error;
  return compiled.search(text);
}

// The same question put to Boost.Regex: the dialect's "^" and "$" are the
// text's ends, "." leaves out the line feed, "(?i)" is a flag.
bool BoostSearch(std::string pattern, const std::string& text) {
  boost::regex::flag_type flags = boost::regex::perl;
  if (pattern.compare(0, 4, "(?i)") == 0) pattern.erase(0, 4), flags |= boost::regex::icase;
  std::string translated;
  bool inClass = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      translated += pattern.substr(i++, 2);
      continue;
    }
    if (!inClass && c == '^')
      translated += "\\A";
    else if (!inClass && c == '$')
      translated += "\\z";
    else
      translated += c;
    if (c == '[' && !inClass) {
      inClass = true;
      if (i + 1 < pattern.size() && pattern[i + 1] == '^') translated += pattern[++i];
      if (i + 1 < pattern.size() && pattern[i + 1] == ']') translated += pattern[++i];
    } else if (c == ']' && inClass) {
      inClass = false;
    }
  }
  boost::regex regex(translated, flags);
  return boost::regex_search(text, regex, boost::match_not_dot_newline);
}

TEST(TextPatternTest, MatchesAsBoostOnATable) {
  const std::vector<std::string> kPatterns = {
      "",        "fetch",    "^fetch",   "q0$",           "^$",     "a|b",        "fe(tch|xx)",
      "se.ect",  "s[0-9]+,", "s\\d+",    "[^a-z]",        "[]a]",   "[a-]",       "\\.",
      "\\w+_id", "\\s\\S",   "(ab)*c",   "(a|ab)(c|bcd)", "x?y+z*", "(?i)SELECT", "(?i)[A-C]x",
      "\\W",     "\\D\\D",   "where.*=", "a.c",           "\\$",    "[\\]x]",     "(((a)))",
      "(a*)+b",  "[\\d,]+$", "\\n",      "\\t",           "[.]",
  };
  const std::vector<std::string> kTexts = {
      "",          "fetch,s0,4e21",
      "next,c,q0", "query,c,select item_id from t where a = 'x'",
      "SeLeCt 1",  "a\nc",
      "abc",       "abcd",
      "aab",       "]",
      "-",         "x.y",
      "\t ",       "cost $5",
      "Ax",        "get,s12,q3,r_object_id",
      "a\n",       "123,456",
      "xyyz",
  };
  for (const std::string& pattern : kPatterns) {
    for (const std::string& text : kTexts) {
      EXPECT_EQ(Search(pattern, text), BoostSearch(pattern, text))
          << "pattern " << pattern << " text " << text;
    }
  }
}

// A random pattern of the dialect over a small alphabet, so that matches
// are frequent.
std::string RandomPattern(std::mt19937* random, int depth) {
  const char* const kAtoms[] = {"a", "b", ".", "[ab]", "[^a]", "\\n", "^", "$", "\\w", "c"};
  std::string pattern;
  int parts = 1 + static_cast<int>((*random)() % 4);
  for (int i = 0; i < parts; ++i) {
    unsigned choice = (*random)() % 10;
    if (choice < 2 && depth < 3) {
      pattern +=
          "(" + RandomPattern(random, depth + 1) + "|" + RandomPattern(random, depth + 1) + ")";
    } else {
      pattern += kAtoms[(*random)() % 10];
    }
    bool anchor = pattern.back() == '^' || pattern.back() == '$';
    if (!anchor && (*random)() % 3 == 0) pattern += "*+?"[(*random)() % 3];
  }
  return pattern;
}

TEST(TextPatternTest, MatchesAsBoostOnRandomPatterns) {
  std::mt19937 random(20261208);
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string pattern = RandomPattern(&random, 0);
    std::string text;
    for (size_t length = random() % 12; length > 0; --length) text += "abc\n"[random() % 4];
    bool expected;
    try {
      expected = BoostSearch(pattern, text);
    } catch (const std::runtime_error&) {
      continue;  // Boost gave up on the pattern's complexity
    }
    ASSERT_EQ(Search(pattern, text), expected) << "pattern " << pattern << " text " << text;
    ++compared;
  }
  EXPECT_GT(compared, 2900);
}

// Patterns that make backtracking engines take exponential time finish on
// long texts; a hang would stop the test suite at its timeout.
TEST(TextPatternTest, BlowUpPatternsStayLinear) {
  const std::string kAs(100000, 'a');
  const struct {
    const char* pattern;
    bool found;
  } kCases[] = {
      {"(a*)*b", false},           {"(a|a)*b", false},
      {"(a|aa)*c", false},         {"(a+)+$", true},
      {"^(a?){50}", false},        {"(.*a){20}b", false},
      {"(a*)*(a*)*(a*)*x", false}, {"(((a*)*)*)*a$", true},
  };
  for (const auto& c : kCases) {
    TextPattern pattern;
    std::string error;
    if (!pattern.compile(c.pattern, &error)) {
      // Counted repetition is not in the dialect: a usage error, no hang.
      EXPECT_NE(std::string(c.pattern).find('{'), std::string::npos) << c.pattern;
      continue;
    }
    EXPECT_EQ(pattern.search(kAs), c.found) << c.pattern;
  }
}

TEST(TextPatternTest, InvalidPatternsNameThePosition) {
  const struct {
    std::string pattern;
    std::string error;
  } kCases[] = {
      {"a(b", "position 4: missing ')'"},
      {"ab)", "position 3: ')' without '('"},
      {"*a", "position 1: nothing to repeat before '*'"},
      {"a|+", "position 3: nothing to repeat before '+'"},
      {"[ab", "position 1: missing ']'"},
      {"x]", "position 2: ']' without '['"},
      {"a{2}", "position 2: counted repetition is not supported (\\{ for a brace)"},
      {"a\\", "position 2: '\\' at the end"},
      {"\\q", "position 1: unknown escape '\\q'"},
      {"[z-a]", "position 4: range out of order"},
      {"(?=a)", "position 2: '(?' is not supported"},
      {"a**", "position 3: '*' after a repetition"},
      {"a+?", "position 3: '?' after a repetition"},
      {"^*", "position 2: nothing to repeat before '*'"},
      {std::string(101, '(') + std::string(101, ')'), "position 101: groups nested too deep"},
      {std::string(1001, 'a'), "position 1001: longer than 1000 bytes"},
  };
  for (const auto& c : kCases) {
    TextPattern pattern;
    std::string error;
    EXPECT_FALSE(pattern.compile(c.pattern, &error)) << c.pattern;
    EXPECT_EQ(error, c.error) << c.pattern;
  }
}

TEST(TextPatternTest, TheLargestPatternStillSearches) {
  std::string pattern;
  while (pattern.size() + 10 <= kMaxPatternBytes) pattern += "(a|b|c)*d?";
  TextPattern compiled;
  std::string error;
  ASSERT_TRUE(compiled.compile(pattern, &error)) << error;
  EXPECT_TRUE(compiled.search(std::string(20000, 'c')));
}

}  // namespace
}  // namespace quintrel
