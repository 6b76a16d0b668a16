#include "analysis/fingerprint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace quintrel {
namespace {

const size_t kNone = std::string_view::npos;

std::string QueryClass(const std::string& query, size_t glued = kNone) {
  std::string out = "stale";
  QueryFingerprint(query, glued, &out);
  return out;
}

std::string CallClass(const std::string& call) {
  std::string out = "stale";
  CallFingerprint(call, &out);
  return out;
}

// `pattern` with its "@" replaced by `value`.
std::string Fill(const std::string& pattern, const std::string& value) {
  std::string text = pattern;
  return text.replace(text.find('@'), 1, value);
}

// An IN list of `count` values (numbers, literals and object ids in turn)
// with `comma` between them, inside `open` and `close`.
std::string InList(int count, const std::string& open, const std::string& comma,
                   const std::string& close) {
  const char* const kValues[] = {"7", "'a, b'", "0900000180000123", "3.5", "''"};
  std::string list = open;
  for (int i = 0; i < count; ++i) list += (i > 0 ? comma : "") + std::string(kValues[i % 5]);
  return list + close;
}

// Each row of the README's query table, its example first, then the cases
// at the rule's edges.
TEST(FingerprintTest, QueryRules) {
  const struct {
    const char* rule;
    std::string query;
    size_t glued;
    std::string expected;
  } kCases[] = {
      {"literal", "where name = 'O''Brien'", kNone, "where name = ?"},
      {"literal", "where n = 'o''brien' and m = ''", kNone, "where n = ? and m = ?"},
      {"literal", "where n = 'unclosed", kNone, "where n = ?"},
      {"literal", "where n = 'in (1, 2)'", kNone, "where n = ?"},
      {"number", "where size > 1024 and rank = 3.5", kNone, "where size > ? and rank = ?"},
      {"number", "where id = 42 and t1.a = 7 and v = 1.2.3", kNone,
       "where id = ? and t1.a = ? and v = 1.2.3"},
      {"object id", "where r_object_id = 0900000180000123", kNone, "where r_object_id = ?"},
      {"object id", "where r_object_id = 4e21100000002A11", kNone, "where r_object_id = ?"},
      {"object id", "where x = 4e211000000", kNone, "where x = 4e211000000"},
      {"in list", "where id in ( 1,2 ,\n 3 )", kNone, "where id in (?+)"},
      {"in list", "where x IN('a', 'b', 3) and y in (5 ,6)", kNone,
       "where x in (?+) and y in (?+)"},
      {"in list", "where x in\n(\t3,\r\n4\n)", kNone, "where x in (?+)"},
      {"in list", "where x in (?, ?)", kNone, "where x in (?+)"},
      {"in list", "where y in (select z from w)", kNone, "where y in (select z from w)"},
      {"in list", "where y in (1, z) or y in () or y in (1,)", kNone,
       "where y in (?, z) or y in () or y in (?,)"},
      {"in list", "where y in (1 2) or y in ('a' 'b') or y in (1", kNone,
       "where y in (? ?) or y in (? ?) or y in (?"},
      {"in list", "where xin (1) or x.in (1)", kNone, "where xin (?) or x.in (?+)"},
      {"blanks", "select a,\n\t  b", kNone, "select a, b"},
      {"blanks", "select  a,\tb\n\nfrom   t", kNone, "select a, b from t"},
      {"lines", "select a, bfrom t", 11, "select a, b from t"},
      {"lines", "select item_id, item_namefrom doc_item\nwhere a = 1\n", 25,
       "select item_id, item_name from doc_item where a = ?"},
      {"lines", "select a, b\nfrom t", 11, "select a, b from t"},
      {"lines", "select 'a\nb'", 10, "select ?"},
      {"lines", "where x in (1, 23)", 16, "where x in (?, ? ?)"},
      {"lines", "where x in(1,2)", 10, "where x in (?+)"},
      {"lines", "select a", 0, "select a"},
      {"lines", "select a", 8, "select a"},
      {"case", "SELECT Name FROM Item", kNone, "select name from item"},
      {"case", "WHERE Title = 'Ab C' and \xC3\x89t\xC3\xA9 = 1", kNone,
       "where title = ? and \xC3\x89t\xC3\xA9 = ?"},
      {"trailing", "select a from t ;", kNone, "select a from t"},
      {"trailing", "select a from t;  ;\n", kNone, "select a from t"},
      {"trailing", "", kNone, ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(QueryClass(c.query, c.glued), c.expected) << c.rule << ": " << c.query;
  }
}

TEST(FingerprintTest, QueryCut) {
  EXPECT_EQ(QueryClass(std::string(10000, 'x')), std::string(kMaxFingerprint, 'x') + "...");
  // A word that reaches the cut, or runs past it after other words, lower-cased.
  const struct {
    std::string query, fingerprint;
  } kWords[] = {
      {std::string(kMaxFingerprint, 'X'), std::string(kMaxFingerprint, 'x')},
      {std::string(kMaxFingerprint + 1, 'X'), std::string(kMaxFingerprint, 'x') + "..."},
      {"select " + std::string(5000, 'A') + " from t",
       "select " + std::string(kMaxFingerprint - 7, 'a') + "..."},
      {"a " + std::string(kMaxFingerprint - 4, 'B') + " c",
       "a " + std::string(kMaxFingerprint - 4, 'b') + " c"},
  };
  for (const auto& c : kWords) EXPECT_EQ(QueryClass(c.query), c.fingerprint) << c.query.size();
  // A list of 1,000 values folds although its text runs far past the cut.
  EXPECT_EQ(QueryClass("where a in " + InList(1000, "(", ", ", ")") + " order by a"),
            "where a in (?+) order by a");
  // A list that is not one of values is cut as any text.
  std::string columns = QueryClass("where a in " + InList(1000, "(", ", ", ", b)"));
  EXPECT_EQ(columns.size(), kMaxFingerprint + 3);
  EXPECT_EQ(columns.substr(0, 16), "where a in (?, ?");
}

// Each row of the README's call table, its example first.
TEST(FingerprintTest, CallRules) {
  const std::string k70(70, 'a');
  const struct {
    const char* rule;
    std::string call;
    std::string expected;
  } kCases[] = {
      {"api name", "dumpconnection", "dumpconnection"},
      {"api name", "q1,s1", "q1,?"},
      {"handle", "next,s3,q12", "next,?,?"},
      {"handle", "get,c,q0,item_name", "get,?,?,item_name"},
      {"handle", "close,S0,d7", "close,?,?"},
      {"handle", "x,s,q,s0x,q1a,ab1,_1,1a", "x,s,q,s0x,q1a,ab1,_1,1a"},
      {"object id", "fetch,c,4e21100000002a11", "fetch,?,?"},
      {"object id", "get,s0,4E21100000002A11,title", "get,?,?,title"},
      {"object id", "f,0123456789abcdef,ABCDEF0123456789", "f,?,?"},
      {"object id", "f,4e2110000000gz11,4e2110000000_a11", "f,4e2110000000gz11,4e2110000000_a11"},
      {"object id", "f,4e2110000000/a11,4e2110000000:a11", "f,4e2110000000/a11,4e2110000000:a11"},
      {"object id", "f,4e2110000000@a11,4e2110000000`a11", "f,4e2110000000@a11,4e2110000000`a11"},
      {"object id",
       "f,4e211000000\xc3\xa9"
       "a11,4e2110000000Ga11",
       "f,4e211000000\xc3\xa9"
       "a11,4e2110000000Ga11"},
      {"object id", "f,4e21100000002a1,4e21100000002a11a", "f,4e21100000002a1,4e21100000002a11a"},
      {"number", "getmessage,s0,3", "getmessage,?,?"},
      {"number", "save,s0,12.5,0", "save,?,?,?"},
      {"literal", "set,s0,subject,'a, b'", "set,?,subject,?"},
      {"literal", "set,s0,subject,'a',\"x, y\",'o''k'", "set,?,subject,?,?,?"},
      {"literal", "set,s0,subject,'a'b", "set,?,subject,'a'b"},
      {"other", "get,s0,q1,r_object_id", "get,?,?,r_object_id"},
      {"other", "get,s1,server,object_name", "get,?,server,object_name"},
      {"other", "apply,s0,NULL,LAST_STATEMENT", "apply,?,NULL,LAST_STATEMENT"},
      {"other", "connect,repo01,admin,,,", "connect,repo01,admin,,,"},
      {"other", "x,,s", "x,,s"},
      {"other", "x,", "x,"},
      {"cut", "getfile,s0," + k70, "getfile,?," + std::string(64, 'a') + "..."},
      {"cut", std::string(3000, 'n') + ",s0", std::string(2048, 'n') + "..."},
      {"cut", std::string(2048, 'n') + ",s0", std::string(2048, 'n') + "..."},
      {"cut", std::string(2047, 'n') + ",s0", std::string(2047, 'n') + ",..."},
      {"cut", std::string(2046, 'n') + ",s0", std::string(2046, 'n') + ",?"},
  };
  for (const auto& c : kCases) EXPECT_EQ(CallClass(c.call), c.expected) << c.rule << ": " << c.call;
}

// The fingerprint says where the API name ends, as the first comma does,
// also where the name is past the cut or the text has no argument.
TEST(FingerprintTest, CallApiNameSize) {
  const std::string kCalls[] = {"dumpconnection",
                                "next,s3,q12",
                                "x,",
                                ",s0",
                                "",
                                "set,s0,subject,'a, b'",
                                std::string(3000, 'n') + ",s0",
                                std::string(2048, 'n')};
  char out[kCallFingerprintRoom];
  for (const std::string& call : kCalls) {
    size_t nameSize = 12345;
    size_t size = CallFingerprint(call, out, &nameSize);
    EXPECT_EQ(nameSize, std::min(call.size(), call.find(','))) << call.substr(0, 20);
    EXPECT_EQ(std::string(out, size), CallClass(call)) << call.substr(0, 20);
  }
}

// An object id named after the handle is found where the fingerprint folds
// it, and nowhere else: texts that differ only there share a class.
TEST(FingerprintTest, ObjectIdAfterHandle) {
  const struct {
    std::string call;
    size_t at;
  } kCases[] = {
      {"get,s1,4e211098c7f9be6c,title", 7},
      {"fetch,s1,4e211098c7f9be6c", 9},
      {"get,s12,4E211098C7F9BE6C,title", 8},
      {"get,,4e211098c7f9be6c", 5},
      {"get,c,4e211098c7f9be6c,'a, b'", 6},
      // Not 16 hex digits, or not an argument of its own.
      {"get,s1,4e211098c7f9be6c1,title", kNone},
      {"get,s1,4e211098c7f9be6", kNone},
      {"get,s1,4e211098c7f9be6g", kNone},
      {"get,s1,4e211098c7f9be6c'", kNone},
      {"get,s1,x,4e211098c7f9be6c", kNone},
      {"4e211098c7f9be6c,s1,x", kNone},
      {"get,4e211098c7f9be6c", kNone},
      {"get", kNone},
      {"", kNone},
      // A quoted first argument may hold the commas that seem to end it.
      {"get,'a,4e211098c7f9be6c,b'x,y", kNone},
      {"get,\"a,4e211098c7f9be6c,b\"x,y", kNone},
      {"get,'s1',4e211098c7f9be6c", kNone},
  };
  for (const auto& c : kCases) {
    size_t at = ObjectIdAfterHandle(c.call, std::min(c.call.size(), c.call.find(',')));
    EXPECT_EQ(at, c.at) << c.call;
    if (at == kNone) continue;
    std::string other = c.call;
    other.replace(at, 16, "0123456789abcdef");
    EXPECT_EQ(CallClass(other), CallClass(c.call)) << c.call;
  }
}

// Texts that differ only in what a rule removes share a class; a text that
// differs in what the rule keeps does not.
struct Mutation {
  const char* rule;
  std::string pattern;  // "@" is filled with each variant
  std::vector<std::string> variants;
  std::vector<std::string> apart;
};

void ExpectOneClass(const Mutation& m, std::string (*fingerprint)(const std::string&)) {
  const std::string first = fingerprint(Fill(m.pattern, m.variants[0]));
  for (const std::string& variant : m.variants) {
    EXPECT_EQ(fingerprint(Fill(m.pattern, variant)), first) << m.rule << ": " << variant;
  }
  for (const std::string& variant : m.apart) {
    EXPECT_NE(fingerprint(Fill(m.pattern, variant)), first) << m.rule << ": " << variant;
  }
}

std::string QueryOf(const std::string& query) { return QueryClass(query); }

std::vector<std::string> InListVariants() {
  const char* const kOpen[] = {"(", "( ", "(\n", "\n(\t"};
  const char* const kComma[] = {",", ", ", " ,", " , ", ",\n", "\r\n,\t"};
  const char* const kClose[] = {")", " )", "\n)"};
  const int kCounts[] = {1, 2, 3, 670, 1000};
  std::vector<std::string> lists;
  for (int count : kCounts) {
    for (size_t i = 0; i < std::size(kComma); ++i) {
      lists.push_back(InList(count, kOpen[i % 4], kComma[i], kClose[(i + count) % 3]));
    }
  }
  return lists;
}

TEST(FingerprintTest, QueryVariantsShareAClass) {
  const Mutation kMutations[] = {
      {"literal",
       "select a from t where n = @ order by a",
       {"'a'", "''", "'O''Brien'", "'x, y) in (1'", "'" + std::string(3000, 'x') + "'"},
       {"n", "'a' || 'b'"}},
      {"number", "where a > @ and b = 1", {"0", "42", "3.5", "1234567890123"}, {"b", "4.2.1"}},
      {"object id",
       "where r_object_id = @",
       {"0900000180000123", "4e21100000002A11", "0000000000000000"},
       {"4e2110000000", "4e21100000002g11"}},
      {"in list", "where id in @ order by a", InListVariants(), {"(1, x)", "(1)(2)"}},
      {"blanks", "select a,@b from t", {" ", "\t", "\n", "  \n\t ", "\r\n"}, {"", ",", " c "}},
      {"case",
       "@ a FROM t",
       {"select", "SELECT", "Select", "sElEcT"},
       {"delete", "select a from t,"}},
      {"trailing", "select a from t@", {"", ";", " ;", ";;\n", " ; ; "}, {"; x", " t"}},
  };
  for (const Mutation& m : kMutations) ExpectOneClass(m, &QueryOf);
}

// A query over several lines as the trace gives it: the first line break
// dropped at `glued`, the others kept. Whichever blank is a line break, the
// class is that of the query on one line.
TEST(FingerprintTest, QueryLinesShareAClass) {
  const std::string query = "select item_id, item_name from doc_item where a = 1 and b in (1, 2)";
  const std::string oneLine = QueryClass(query);
  for (size_t first = 0; first < query.size(); ++first) {
    if (query[first] != ' ') continue;
    std::string text = query.substr(0, first) + query.substr(first + 1) + "\n";
    EXPECT_EQ(QueryClass(text, first), oneLine) << text;
    for (size_t later = text.find(' ', first); later != std::string::npos;
         later = text.find(' ', later + 1)) {
      std::string more = text;
      more[later] = '\n';
      EXPECT_EQ(QueryClass(more, first), oneLine) << more;
    }
    // Where the break parts two words, they run together without it.
    if (std::isalnum(query[first - 1]) && std::isalnum(query[first + 1])) {
      EXPECT_NE(QueryClass(text), oneLine) << text;
    }
  }
}

TEST(FingerprintTest, CallVariantsShareAClass) {
  const Mutation kMutations[] = {
      {"handle",
       "get,@,item_name",
       {"c,q0", "s0,q0", "s12,q99", "s3,d7", "S1,Q2"},
       {"s0,object_name", "s0,r_object_id", "s0,s", "s0,q1x", "s0,qq1"}},
      {"object id",
       "get,s0,@,title",
       {"4e21100000002a11", "0900000180000123", "4E21100000002A11"},
       {"4e21100000002a1", "title"}},
      {"number", "getmessage,s0,@", {"3", "0", "12.5", "99999999999"}, {"3a", "x"}},
      {"literal",
       "set,s0,subject,@,x",
       {"'a'", "''", "'a, b'", "\"x\"", "'o''k, y'"},
       {"subject", "'a'b"}},
  };
  for (const Mutation& m : kMutations) ExpectOneClass(m, &CallClass);
}

// The class of one unquoted argument without commas, by the rules alone.
std::string ArgumentClass(const std::string& argument) {
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  auto isHex = [&](char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  };
  auto allFrom = [&](size_t from, auto test) {
    return std::all_of(argument.begin() + from, argument.end(), test);
  };
  bool handle =
      argument == "c" || (argument.size() >= 2 && isLetter(argument[0]) && allFrom(1, isDigit));
  bool number = !argument.empty() && isDigit(argument[0]) &&
                std::count(argument.begin(), argument.end(), '.') <= 1 &&
                allFrom(0, [&](char c) { return isDigit(c) || c == '.'; });
  bool objectId = argument.size() == 16 && allFrom(0, isHex);
  if (handle || number || objectId) return "?";
  return argument.size() <= kMaxCallArgument ? argument
                                             : argument.substr(0, kMaxCallArgument) + "...";
}

// Every short argument over bytes that decide its class, first, inside and
// last in texts of every length around a word, has the class the rules give.
TEST(FingerprintTest, ShortArgumentsFollowTheRules) {
  const std::string kBytes = "sc1.0_aZ\xc3";
  std::vector<std::string> arguments = {"s1234567", "s12345678", "1234567",  "12345678", "1.2.3",
                                        "12.5",     "abcdefg",   "abcdefgh", "q1x",      "_1"};
  for (size_t length = 0, count = 1; length <= 5; ++length, count *= kBytes.size()) {
    for (size_t n = 0; n < count; ++n) {
      std::string argument;
      for (size_t rest = n; argument.size() < length; rest /= kBytes.size()) {
        argument += kBytes[rest % kBytes.size()];
      }
      arguments.push_back(argument);
    }
  }
  for (const std::string& argument : arguments) {
    std::string expected = ArgumentClass(argument);
    for (const std::string name : {"x", "get", "getlastcoll"}) {
      EXPECT_EQ(CallClass(name + "," + argument), name + "," + expected) << argument;
      EXPECT_EQ(CallClass(name + "," + argument + ",s0"), name + "," + expected + ",?") << argument;
      EXPECT_EQ(CallClass(name + ",s0," + argument), name + ",?," + expected) << argument;
    }
  }
}

}  // namespace
}  // namespace quintrel
