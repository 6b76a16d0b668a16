#include "analysis/query_text_compactor.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "analysis/fingerprint.h"
#include "analysis/query_tracker.h"
#include "parse/trace_call.h"
#include "parse/trace_grammar.h"

namespace quintrel {
namespace {

const size_t kNone = std::string_view::npos;

// A text as a failure shows it: escaped, its middle left out when long.
std::string Shown(const std::string& text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.size() > 400 && i == 150) {
      shown += "<" + std::to_string(text.size() - 300) + " bytes>";
      i = text.size() - 150;
    }
    char c = text[i];
    shown += c == '\n'   ? "\\n"
             : c == '\r' ? "\\r"
             : c == '\t' ? "\\t"
             : c == '\f' ? "\\f"
                         : std::string(1, c);
  }
  return "[" + shown + "]";
}

std::string ClassOf(const std::string& text, size_t glued) {
  std::string out;
  QueryFingerprint(text, glued, &out);
  return out;
}

std::string TailOf(const std::string& text, size_t glued, size_t kept) {
  QueryTextCompactor compactor(text, glued, kept);
  return compactor.tail();
}

// The compacted text followed by each of `rests` has the class of the text
// followed by it.
void ExpectSameClasses(const std::string& text, size_t glued, size_t kept,
                       const std::vector<std::string>& rests) {
  const std::string compacted = text.substr(0, kept) + TailOf(text, glued, kept);
  for (const std::string& rest : rests) {
    ASSERT_EQ(Shown(ClassOf(compacted + rest, glued)), Shown(ClassOf(text + rest, glued)))
        << "text " << Shown(text) << " kept " << kept << " glued " << glued << " rest "
        << Shown(rest) << " compacted " << Shown(compacted);
  }
}

TEST(QueryTextCompactor, WritesTheClassOfCompleteTokens) {
  const struct {
    std::string text;
    size_t kept;
    std::string tail;
  } kCases[] = {
      {"select 'abc' , 12 FROM t", 7, "'' , ? FROM t"},
      {"select a  \t b", 8, " b"},
      {"where x in (1, 2, 'a') and y = 0123456789abcdef;", 8, "in (?+) and y = ?;"},
      // What follows may double the last quote, or close the list.
      {"where x = 'it''s'", 10, "''"},
      {"where x in (1, 'a", 8, "in (?, '"},
      // Kept bytes are not touched: the literal they begin keeps its quote.
      {"select 'abc''def' from t", 10, "' from t"},
      {"select 'abc''def' from t", 12, "'' from t"},
      {"select x in (1, 2, 3) from t", 16, "?) from t"},
      {"select x in (1, 2, 3) from t", 12, "(?) from t"},
      {"select x in (1, 2, 3) from t", 14, ") from t"},
      // A number that may still grow stays as it is.
      {"where x = 12", 10, "12"},
      {"where x = 12.", 10, "12."},
      {"where x = 12 \n", 10, "? \n"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(TailOf(c.text, kNone, c.kept), c.tail) << c.text << " kept " << c.kept;
    ExpectSameClasses(c.text, kNone, c.kept, {"", " ", "'", "x", "5)", ")", ".5"});
  }
}

// Builds random query texts from pieces that exercise every rule of the
// class: literals and doubled quotes, IN lists, blanks and line ends,
// numbers, object ids, words, and texts long enough to reach the cut.
class RandomQuery {
 public:
  explicit RandomQuery(unsigned seed) : random_(seed) {}

  size_t below(size_t n) { return n == 0 ? 0 : random_() % n; }

  std::string piece() {
    static const char* const kPieces[] = {"'x'",
                                          "'",
                                          "''",
                                          "'it''s'",
                                          "in (",
                                          "IN(",
                                          " in ( ",
                                          ", ",
                                          ",",
                                          ")",
                                          " ",
                                          "  ",
                                          "\n",
                                          "\t",
                                          "\r",
                                          "\f",
                                          "12",
                                          "3.5",
                                          ".",
                                          "1.",
                                          "0123456789abcdef",
                                          "DEADBEEF01234567",
                                          "select",
                                          "a",
                                          "?",
                                          ";",
                                          "(",
                                          "in",
                                          "x1",
                                          "_",
                                          "\xc3\xa9",
                                          "query,c,",
                                          "execquery,s1,F,",
                                          "'a,b'",
                                          "7 ",
                                          "in ('x', 'y'",
                                          "1, 2, 3",
                                          "'x', ",
                                          "?, ",
                                          "in (?+)"};
    size_t pick = below(sizeof(kPieces) / sizeof(kPieces[0]) + 6);
    if (pick < sizeof(kPieces) / sizeof(kPieces[0])) return kPieces[pick];
    return longPiece(pick - sizeof(kPieces) / sizeof(kPieces[0]));
  }

  std::string text(size_t pieces) {
    std::string text;
    for (size_t i = below(pieces + 1); i > 0; --i) text += piece();
    return text;
  }

 private:
  // Runs of tokens that bring the class near its cut, and long tokens.
  std::string longPiece(size_t kind) {
    std::string piece;
    size_t count = kMaxFingerprint / 2 - 40 + below(80);
    switch (kind) {
      case 0:
        for (size_t i = 0; i < count; ++i) piece += "w ";
        return piece;
      case 1:
        piece = "in (";
        for (size_t i = 0; i < count / 2; ++i) piece += below(4) == 0 ? "12, " : "'x', ";
        return piece;
      case 2:
        return std::string(kMaxFingerprint - 20 + below(40), below(2) == 0 ? '1' : 'a');
      case 3:
        return std::string(kMaxFingerprint, '1') + "." + std::string(below(10), '2');
      case 4:
        return "'" + std::string(kMaxFingerprint + below(40), 'x') + (below(2) ? "'" : "''");
      default:
        for (size_t i = 0; i < count / 2; ++i) piece += " ; ";
        return piece;
    }
  }

  std::mt19937 random_;
};

TEST(QueryTextCompactor, KeepsTheClassOfWhateverFollows) {
  RandomQuery random(7);
  for (int round = 0; round < 6000; ++round) {
    const std::string text = random.text(24);
    const size_t kept = random.below(text.size() + 1);
    const size_t glued = kept > 0 && random.below(3) == 0 ? random.below(kept) : kNone;
    std::vector<std::string> rests = {"", ")", "'", "5)", ".5"};
    for (int i = 0; i < 4; ++i) rests.push_back(random.text(6));
    ExpectSameClasses(text, glued, kept, rests);
    if (testing::Test::HasFatalFailure()) return;
  }
}

TEST(QueryTextCompactor, KeepsTheClassOfATextCompactedAgainAsItGrows) {
  // As the line processor does: each time the text grows, what was
  // compacted is compacted again with the pieces that followed.
  RandomQuery random(11);
  for (int round = 0; round < 400; ++round) {
    std::string whole = random.text(8), compacted = whole;
    const size_t kept = random.below(whole.size() + 1);
    for (int step = 0; step < 12; ++step) {
      const std::string piece = random.text(10);
      whole += piece;
      compacted += piece;
      compacted = compacted.substr(0, kept) + TailOf(compacted, kNone, kept);
      ASSERT_EQ(Shown(ClassOf(compacted, kNone)), Shown(ClassOf(whole, kNone)))
          << Shown(whole) << " kept " << kept << " compacted " << Shown(compacted);
    }
  }
}

TEST(QueryTextCompactor, HoldsALongInListInLittle) {
  std::string list = "select a from t where b in (";
  while (list.size() < (8 << 20)) list += "'x', 12, ";
  const std::string tail = TailOf(list, kNone, 1000);
  EXPECT_LT(tail.size(), 3 * kMaxFingerprint);
  ExpectSameClasses(list, kNone, 1000, {"", "13)", "'y') and c", "x", "12"});
}

// What query tracking reads of an API text: the API name, the connection,
// the query's start where it lies in the part both texts share (as an
// offset from the end), its first `example` bytes and its class.
std::string TrackedOf(std::string_view text, size_t lineEnd, size_t shared, size_t example) {
  size_t start = QueryTracker::QueryTextStart(text);
  std::string read =
      std::string(ApiNameOf(text)) + "|" + std::string(QueryTracker::ConnectionOf(text)) + "|";
  if (start == kNone) return read + "none";
  size_t glued = text.size() > lineEnd && start <= lineEnd ? lineEnd - start : kNone;
  if (start >= text.size() - shared) read += std::to_string(text.size() - start);
  read += "|" + std::string(text.substr(start, example));
  return read + "|" + ClassOf(std::string(text.substr(start)), glued);
}

TEST(QueryTextCompactor, KeepsWhatQueryTrackingReadsOfAnApiText) {
  // As the line processor grows a call's text with its continuation lines
  // and has it compacted after each piece, keeping few bytes as they are.
  RandomQuery random(5);
  const std::string kLines[] = {"execquery,s0,F,",          "query,c,",  "execquery,s1",
                                "query_cmd,c,a,b,c,d,e,f,", "next,c,q0", "readquery,c,select"};
  for (int round = 0; round < 3000; ++round) {
    TraceCall call;
    call.setApiLineText(kLines[random.below(6)] + random.text(6));
    const size_t lineEnd = call.apiLineText().size();
    const size_t kept = random.below(60), example = random.below(20);
    std::string whole(call.apiText.view());
    for (size_t pieces = random.below(8); pieces > 0; --pieces) {
      std::string piece = random.text(10);
      if (random.below(2) == 0) piece += "\n";
      if (random.below(6) == 0) piece += kLines[random.below(6)];
      call.appendToContinuation(piece, kNone);
      whole += piece;
      call.compactAt = 1;
      QueryTextCompactor::CompactApiText(&call, kept, example);
    }
    const std::string compacted(call.apiText.view());
    ASSERT_EQ(compacted.substr(0, lineEnd + kept), whole.substr(0, lineEnd + kept));
    for (const std::string& rest :
         {std::string(), std::string(")"), std::string("y,c,x"), random.text(6)}) {
      ASSERT_EQ(Shown(TrackedOf(compacted + rest, lineEnd, rest.size(), example)),
                Shown(TrackedOf(whole + rest, lineEnd, rest.size(), example)))
          << Shown(whole) << " kept " << kept << " rest " << Shown(rest) << " compacted "
          << Shown(compacted);
    }
  }
}

TEST(QueryTextCompactor, ShortensTheApiTextOfACallAsItGrows) {
  TraceCall call;
  call.setApiLineText("execquery,s0,F,select a from t where b in (");
  const std::string piece = "'xy', 1.5, 0123456789abcdef,\n";
  std::string whole(call.apiText.view());
  for (int i = 0; i < 200000; ++i) {
    call.appendToContinuation(piece, kNone);
    whole += piece;
    if (call.apiText.size() >= call.compactAt) QueryTextCompactor::CompactApiText(&call);
  }
  EXPECT_LT(call.apiText.size(), size_t{3} << 20);
  EXPECT_EQ(call.apiText.view().substr(0, 1 << 20), std::string_view(whole).substr(0, 1 << 20));
  const size_t start = QueryTracker::QueryTextStart(whole);
  const size_t glued = call.apiLineText().size() - start;
  for (const std::string rest : {"", "1)", "x"}) {
    EXPECT_EQ(ClassOf(std::string(call.apiText.view().substr(start)) + rest, glued),
              ClassOf(whole.substr(start) + rest, glued));
  }
}

}  // namespace
}  // namespace quintrel
