#include "analysis/fingerprint.h"

#include <gtest/gtest.h>

#include <string>

namespace quintrel {
namespace {

TEST(FingerprintTest, QueryRules) {
  // One row per rule, then rules together.
  const std::pair<std::string, std::string> kCases[] = {
      {"select a from t where n = 'smith'", "select a from t where n = ?"},
      {"where n = 'o''brien' and m = ''", "where n = ? and m = ?"},
      {"where n = 'unclosed", "where n = ?"},
      {"where id = 42 and x > 3.5 and t1.a = 7", "where id = ? and x > ? and t1.a = ?"},
      {"where r_object_id = 0900000180000123", "where r_object_id = ?"},
      {"where r_object_id = 4e21100000002a11", "where r_object_id = ?"},
      {"where x in ('a', 'b', 3)", "where x in (?+)"},
      {"where x IN(1,2,3) and y in (select z from w)",
       "where x in (?+) and y in (select z from w)"},
      {"select  a,\tb\n\nfrom   t", "select a, b from t"},
      {"SELECT Name FROM Item WHERE Title = 'Ab C'", "select name from item where title = ?"},
      {"select a from t;  ;\n", "select a from t"},
      {"", ""},
      {"select \xC3\x89t\xC3\xA9 from t", "select \xC3\x89t\xC3\xA9 from t"},
  };
  std::string out;
  for (const auto& [query, expected] : kCases) {
    QueryFingerprint(query, &out);
    EXPECT_EQ(out, expected) << query;
  }
  QueryFingerprint(std::string(10000, 'x'), &out);
  EXPECT_EQ(out, std::string(kMaxFingerprint, 'x') + "...");
}

TEST(FingerprintTest, CallRules) {
  const std::string k70(70, 'a');
  const std::pair<std::string, std::string> kCases[] = {
      {"fetch,s3,4e21100000002a11", "fetch,?,?"},
      {"get,c,title", "get,?,title"},
      {"next,s12,q0", "next,?,q0"},
      {"set,s0,subject,'a, b',x", "set,?,subject,?,x"},
      {"set,s0,subject,'a'", "set,?,subject,?"},
      {"save,s0,12.5,\"x\"", "save,?,?,?"},
      {"getfile,s0," + k70, "getfile,?," + std::string(64, 'a') + "..."},
      {"connect", "connect"},
      {"x,,s", "x,,s"},
      {"x,", "x,"},
  };
  std::string out;
  for (const auto& [call, expected] : kCases) {
    CallFingerprint(call, &out);
    EXPECT_EQ(out, expected) << call;
  }
}

}  // namespace
}  // namespace quintrel
