#include "parse/header_scanner.h"

#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "parse/trace_grammar.h"
#include "parse/trace_line.h"
#include "tests/support/mutated_lines.h"
#include "tests/support/pattern_reading.h"
#include "tests/support/trace_patterns.h"

namespace quintrel {
namespace {

using quintrel_test::ScannerMismatch;
using quintrel_test::SearchAtLineStart;

const std::string kNul(1, '\0');
const std::string kHead = "# [ 3412 ] Wed Aug  6 14:03:22 2003 427345 ( 0.015 sec) ( 119 rpc) ";
const std::string kForty(40, '9');

// A header line with the given stamp and entry.
std::string WithStamp(const std::string& stamp, const std::string& entry = "API> x") {
  return "# [ 3 ] " + stamp + " ( 0.5 sec) ( 7 rpc) " + entry;
}

// A header line with the given counters ("( 0.5 sec) ( 7 rpc) ").
std::string WithCounters(const std::string& counters) {
  return "# [ 3 ] Wed Aug  6 14:03:22 2003 1 " + counters + "API> x";
}

bool MatchesOneByte(const boost::regex& pattern, unsigned char byte) {
  const char text[1] = {static_cast<char>(byte)};
  boost::cmatch match;
  return boost::regex_match(text, text + 1, match, pattern);
}

TEST(HeaderScanner, ByteClassesAreThoseOfBoostRegex) {
  const struct {
    const char* pattern;
    bool (*scanner)(unsigned char);
  } kClasses[] = {{"\\d", IsPatternDigit}, {"\\w", IsPatternWord}, {"[[:space:]]", IsPatternSpace}};
  for (const auto& byteClass : kClasses) {
    const boost::regex pattern(byteClass.pattern);
    for (int byte = 0; byte < 256; ++byte)
      EXPECT_EQ(byteClass.scanner(byte), MatchesOneByte(pattern, byte))
          << byteClass.pattern << " byte " << byte;
  }
  // The entry is ".*": it takes every byte to the end of the line.
  std::string everyByte;
  for (int byte = 0; byte < 256; ++byte) everyByte += static_cast<char>(byte);
  boost::cmatch match;
  ASSERT_TRUE(SearchAtLineStart(everyByte, boost::regex(".*"), &match));
  EXPECT_EQ(match.length(0), 256);
}

TEST(HeaderScanner, ByteClassesAtTheirBorders) {
  // Bytes whose class is easy to guess wrong; Boost and the scanner must both
  // say what the table says.
  const struct {
    unsigned char byte;
    bool digit, word, space;
  } kBytes[] = {
      {'_', false, true, false},   {'7', true, true, false},    {'\t', false, false, true},
      {'\n', false, false, true},  {'\v', false, false, true},  {'\f', false, false, true},
      {'\r', false, false, true},  {' ', false, false, true},   {0x00, false, false, false},
      {0x1c, false, false, false}, {0x1f, false, false, false}, {0x7f, false, false, false},
      {0x85, false, false, false}, {0xa0, false, false, false}, {0xaa, false, false, false},
      {0xb2, false, false, false}, {0xb5, false, false, false}, {0xe9, false, false, false},
      {0xff, false, false, false}, {'-', false, false, false},
  };
  const boost::regex digit("\\d"), word("\\w"), space("[[:space:]]");
  for (const auto& b : kBytes) {
    SCOPED_TRACE(static_cast<int>(b.byte));
    EXPECT_EQ(std::make_tuple(MatchesOneByte(digit, b.byte), MatchesOneByte(word, b.byte),
                              MatchesOneByte(space, b.byte)),
              std::make_tuple(b.digit, b.word, b.space));
    EXPECT_EQ(
        std::make_tuple(IsPatternDigit(b.byte), IsPatternWord(b.byte), IsPatternSpace(b.byte)),
        std::make_tuple(b.digit, b.word, b.space));
  }
}

TEST(HeaderScanner, EdgeLinesAndEveryCutOfThem) {
  const ScanResult kNo = ScanResult::kNotHeader;
  const struct {
    std::string line;
    ScanResult result;
    LineKind kind = LineKind::kContinuation;
    std::string entryText = "";
  } kCases[] = {
      // The example lines.
      {kHead + "API> query,s0,select name from item", ScanResult::kHeader, LineKind::kApi,
       "query,s0,select name from item"},
      {kHead + "Res: 'q0'", ScanResult::kHeader, LineKind::kResult, "q0'"},
      {kHead + "SET> s0,title,x", ScanResult::kHeader, LineKind::kSet, "s0,title,x"},
      {kHead + "Server RPC: Fetch", ScanResult::kHeader, LineKind::kServerRpc, "Fetch"},
      {"# [ 977 ] Wed Aug 16 09:00:01 2003 5 ( 0.5 sec) ( 7 rpc) Res: ''", ScanResult::kHeader,
       LineKind::kResult, "'"},
      {kHead, ScanResult::kHeader, LineKind::kOtherHeader, ""},
      {"where id = 7", kNo},
      {"", kNo},
      {"#", kNo},
      {"# [ ", kNo},
      // Near misses of the keywords.
      {kHead + "API>get", ScanResult::kHeader, LineKind::kOtherHeader, "API>get"},
      {kHead + "API>", ScanResult::kHeader, LineKind::kOtherHeader, "API>"},
      {kHead + "api> get", ScanResult::kHeader, LineKind::kOtherHeader, "api> get"},
      {kHead + "res: 'q0'", ScanResult::kHeader, LineKind::kOtherHeader, "res: 'q0'"},
      {kHead + "set> a", ScanResult::kHeader, LineKind::kOtherHeader, "set> a"},
      {kHead + "server rpc: a", ScanResult::kHeader, LineKind::kOtherHeader, "server rpc: a"},
      {kHead + "Server RPC:", ScanResult::kHeader, LineKind::kOtherHeader, "Server RPC:"},
      {kHead + "Res: q0", ScanResult::kHeader, LineKind::kOtherHeader, "Res: q0"},
      {kHead + "Res: ", ScanResult::kHeader, LineKind::kOtherHeader, "Res: "},
      {kHead + " API> x", ScanResult::kHeader, LineKind::kOtherHeader, " API> x"},
      // One, two or three whitespace bytes before the day.
      {WithStamp("Wed Aug 6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug\t6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug\r6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug\f6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug\v6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug\n6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug \t6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug\r\n6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug\v\f6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug   6 14:03:22 2003 1"), kNo},
      {WithStamp("Wed Aug\t\t\t6 14:03:22 2003 1"), kNo},
      {WithStamp("Wed Aug \r\n6 14:03:22 2003 1"), kNo},
      {WithStamp("Wed Aug\x85"
                 "6 14:03:22 2003 1"),
       kNo},
      {WithStamp("Wed Aug\xa0"
                 "6 14:03:22 2003 1"),
       kNo},
      {WithStamp("Wed Aug6 14:03:22 2003 1"), kNo},
      // Blanks elsewhere in the stamp are blanks only.
      {WithStamp("Wed\tAug 6 14:03:22 2003 1"), kNo},
      {WithStamp("Wed Aug 6\t14:03:22 2003 1"), kNo},
      {WithStamp("Wed Aug 6 14:03:22  2003 1"), kNo},
      // Missing parts and empty words.
      {WithStamp("Wed Aug  6 14:03:22 2003"), kNo},
      {WithStamp("Wed Aug  6 14:03:22 2003 "), kNo},
      {WithStamp(" Aug  6 14:03:22 2003 1"), kNo},
      {WithStamp("Wed   6 14:03:22 2003 1"), kNo},
      {WithStamp("Wed 6 14:03:22 2003 1"), kNo},
      {WithStamp("Wed Aug  6 14::22 2003 1"), kNo},
      {WithStamp("Wed Aug  6 :03:22 2003 1"), kNo},
      {"# [  ] Wed Aug  6 14:03:22 2003 1 ( 0.5 sec) ( 7 rpc) API> x", kNo},
      {"# [ 3 ]  Wed Aug  6 14:03:22 2003 1 ( 0.5 sec) ( 7 rpc) API> x", kNo},
      {"#  [ 3 ] Wed Aug  6 14:03:22 2003 1 ( 0.5 sec) ( 7 rpc) API> x", kNo},
      {"# [\t3 ] Wed Aug  6 14:03:22 2003 1 ( 0.5 sec) ( 7 rpc) API> x", kNo},
      {WithCounters("(0.5 sec) ( 7 rpc) "), kNo},
      {WithCounters("( 0.5sec) ( 7 rpc) "), kNo},
      {WithCounters("( 0.5 sec)( 7 rpc) "), kNo},
      {WithCounters("( 0.5 sec) (7 rpc) "), kNo},
      {WithCounters("( 0.5 sec) ( 7 rpc)"), kNo},
      {WithCounters("( .5 sec) ( 7 rpc) "), kNo},
      {WithCounters("( 0. sec) ( 7 rpc) "), kNo},
      {WithCounters("( 0.5 sec) (  rpc) "), kNo},
      {WithCounters("( 0,5 sec) ( 7 rpc) "), kNo},
      {WithCounters("( 0.5 SEC) ( 7 rpc) "), kNo},
      // Words of digits and underscores; 40-digit numbers in every number.
      {WithStamp("123 W_1  6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("_ 0\t6 14:03:22 2003 1"), ScanResult::kHeader, LineKind::kApi, "x"},
      {"# [ " + kForty + " ] Wed Aug  6 14:03:22 2003 1 ( 0.5 sec) ( 7 rpc) API> x",
       ScanResult::kHeader, LineKind::kApi, "x"},
      {WithStamp("Wed Aug  " + kForty + " " + kForty + ":" + kForty + ":" + kForty + " " + kForty +
                 " " + kForty),
       ScanResult::kHeader, LineKind::kApi, "x"},
      {WithCounters("( " + kForty + "." + kForty + " sec) ( " + kForty + " rpc) "),
       ScanResult::kHeader, LineKind::kApi, "x"},
      // Bytes of 0x80 and above, and NUL, in the fields and in the entry.
      {WithStamp("W\xe9"
                 "d Aug  6 14:03:22 2003 1"),
       kNo},
      {WithStamp("Wed Aug  6 14:03:22 2003 1\xff"), kNo},
      {WithStamp("Wed" + kNul + " Aug  6 14:03:22 2003 1"), kNo},
      {"# [ 3" + kNul + " ] Wed Aug  6 14:03:22 2003 1 ( 0.5 sec) ( 7 rpc) API> x", kNo},
      {kHead + "API> a" + kNul + "b\xff\n\r", ScanResult::kHeader, LineKind::kApi,
       "a" + kNul + "b\xff\n\r"},
      {kHead + kNul + "API> x", ScanResult::kHeader, LineKind::kOtherHeader, kNul + "API> x"},
      // No field is longer than kMaxHeaderField bytes.
      {"# [ " + std::string(kMaxHeaderField, '7') + " ] Wed Aug  6 14:03:22 2003 1 ( 0.5 sec) ( " +
           std::string(kMaxHeaderField, '8') + " rpc) API> x",
       ScanResult::kHeader, LineKind::kApi, "x"},
      {"# [ " + std::string(kMaxHeaderField + 1, '7') +
           " ] Wed Aug  6 14:03:22 2003 1 ( 0.5 sec) ( 7 rpc) API> x",
       kNo},
      {WithStamp(std::string(kMaxHeaderField + 1, 'W') + " Aug  6 14:03:22 2003 1"), kNo},
      {WithCounters("( 0." + std::string(kMaxHeaderField + 1, '5') + " sec) ( 7 rpc) "), kNo},
      // Anything before the marker.
      {"x\f" + kHead + "API> x", kNo},
      {"\r" + kHead + "API> x", kNo},
      {"\n" + kHead + "API> x", kNo},
  };
  TraceLineClassifier classifier;
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(c.line));
    TraceLine got, classified;
    EXPECT_EQ(ScanHeader(c.line, true, &got), c.result);
    EXPECT_EQ(std::make_tuple(got.kind, std::string(got.entryText)),
              std::make_tuple(c.kind, c.result == kNo ? "" : c.entryText));
    EXPECT_EQ(classifier.classify(c.line, &classified), c.result == ScanResult::kHeader);
    EXPECT_EQ(classified.kind, c.kind);
    // The whole line and every beginning of it against the patterns; and
    // every beginning as a whole line.
    EXPECT_EQ(ScannerMismatch(c.line, true), "");
    for (size_t cut = 0; cut < c.line.size(); ++cut)
      EXPECT_EQ(ScannerMismatch(c.line.substr(0, cut), false), "") << "cut at " << cut;
  }
}

TEST(HeaderScanner, BytesOfNoClassInEveryField) {
  // Every byte before the entry is a blank, a punctuation mark or a byte of
  // a class, so any of these bytes written over it or put before it makes the
  // line a continuation; from the entry on, the line stays a header.
  const std::string line = kHead + "Res: 'q0'";
  const char kBytes[] = {'\0', '\x01', '\x7f', '\x80', '\x85', '\xa0', '\xe9', '\xff'};
  for (size_t at = 0; at <= line.size(); ++at) {
    for (char byte : kBytes) {
      std::string over = line, before = line;
      if (at < line.size()) over[at] = byte;
      before.insert(at, 1, byte);
      for (const std::string& changed : {over, before}) {
        SCOPED_TRACE(testing::PrintToString(changed));
        TraceLine got;
        EXPECT_EQ(ScanHeader(changed, true, &got),
                  at < kHead.size() ? ScanResult::kNotHeader : ScanResult::kHeader);
        EXPECT_EQ(ScannerMismatch(changed, false), "");
      }
    }
  }
}

TEST(HeaderScanner, PrefixesDecideAsSoonAsTheLineDoes) {
  // The length of the shortest beginning of each line that decides.
  const std::pair<std::string, size_t> kCases[] = {
      {kHead + "API> x", kHead.size() + 5},
      {kHead + "Res: 'q0'", kHead.size() + 6},
      {kHead + "Server RPC: x", kHead.size() + 12},
      {kHead + "Server x", kHead.size() + 8},
      {kHead + "SEx", kHead.size() + 3},
      {kHead + "x", kHead.size() + 1},
      {kHead, kHead.size() + 1},  // still undecided at its end
      {"# [ 3 ] Wed Aug   6", 18},
      {"# [ x", 5},
      // A run longer than a field decides at its first byte too many.
      {"# [ " + std::string(2 * kMaxHeaderField, '7'), 4 + kMaxHeaderField + 1},
      {"#x", 2},
      {"x", 1},
  };
  for (const auto& [line, decides] : kCases) {
    for (size_t cut = 0; cut <= line.size(); ++cut) {
      TraceLine got;
      EXPECT_EQ(
          ScanHeader(std::string_view(line).substr(0, cut), false, &got) == ScanResult::kNeedMore,
          cut < decides)
          << testing::PrintToString(line) << " cut at " << cut;
    }
  }
}

TEST(HeaderScanner, GeneratedAndMutatedLinesMatchThePatterns) {
  std::mt19937 rng(20030806);
  std::map<LineKind, int> kinds;
  TraceLine got;
  for (int i = 0; i < 100000 && !HasFailure(); ++i) {
    std::string line = quintrel_test::ValidHeaderLine(rng);
    for (size_t n = rng() % 4; n > 0; --n) line = quintrel_test::MutateLine(line, rng);
    // Every tenth line asks the patterns at every cut, the rest bisect.
    ASSERT_EQ(ScannerMismatch(line, i % 10 == 0), "") << testing::PrintToString(line);
    ScanHeader(line, true, &got);
    ++kinds[got.kind];
  }
  for (LineKind kind : {LineKind::kContinuation, LineKind::kApi, LineKind::kResult, LineKind::kSet,
                        LineKind::kServerRpc, LineKind::kOtherHeader})
    EXPECT_GT(kinds[kind], 2000) << "kind " << static_cast<int>(kind) << " barely generated";
}

TEST(HeaderScanner, LinesSharingABeginningGetWhatAFreshScanGives) {
  // Runs of lines made from one header line, mutated or with another tail,
  // so that most share a beginning with the line before, some up to where
  // the stamp's sub-second number begins, some not; read in sequence with
  // one prefix.
  std::mt19937 rng(807);
  HeaderPrefix prefix;
  int resumed = 0;
  std::string base;
  for (int i = 0; i < 100000 && !HasFailure(); ++i) {
    if (i % 50 == 0) base = quintrel_test::ValidHeaderLine(rng);
    std::string next = rng() % 3 == 0 ? quintrel_test::MutateLine(base, rng) : base;
    if (rng() % 2 == 0) next = next.substr(0, next.size() - rng() % 8);  // another tail
    const bool shares =
        !prefix.bytes.empty() && next.compare(0, prefix.bytes.size(), prefix.bytes) == 0;
    TraceLine sequential, fresh;
    const ScanResult result = ScanHeaderLine(next, &prefix, &sequential);
    ASSERT_EQ(result, ScanHeader(next, true, &fresh)) << testing::PrintToString(next);
    resumed += shares && next.size() > prefix.bytes.size();
    if (result == ScanResult::kHeader) {
      const TraceLine expected = quintrel_test::ReadWithPatterns(next);
      ASSERT_EQ(
          std::make_tuple(sequential.kind, sequential.threadId, sequential.timeStamp,
                          sequential.seconds, sequential.fraction, sequential.rpcCount,
                          sequential.entry, sequential.entryText),
          std::make_tuple(expected.kind, expected.threadId, expected.timeStamp, expected.seconds,
                          expected.fraction, expected.rpcCount, expected.entry, expected.entryText))
          << testing::PrintToString(next);
    }
  }
  EXPECT_GT(resumed, 30000) << "the shared beginning was barely used";
}

}  // namespace
}  // namespace quintrel
