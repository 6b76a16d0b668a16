#include "cli/parameter_map.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace quintrel {
namespace {

std::string Dump(const std::string& detail = "RAW", const std::string& summary = "HTML") {
  return "listthreads : false\noutputfile : b\noutputformat : " + detail +
         "\nrpconly : false\nsummary : true\nsummaryformat : " + summary +
         "\nthread : *\ntracefile : a\n";
}
const std::string kNoSummary = "summary mode option must specifiy TEXT, HTML or XML format\n";
const std::string kBadSummary = "outputformat must be TEXT, HTML or XML format\n";
const std::string kExclusive = "detail and summary mode are mutually exclusive\n";

// Blank-separated words; "''" stands for an empty word.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word == "''" ? "" : word);
  return words;
}

TEST(ParameterMapTest, ParsesCommandLines) {
  struct Case {
    std::string args;
    bool accepted;
    std::string printed;
    std::string values;           // "key=value" words
    std::string complained = "";  // on standard error
  } cases[] = {
      {"", false, "", ""},
      {"a", false, "", ""},
      {"trace.txt out.html", true, "",
       "tracefile=trace.txt outputfile=out.html summary=true summaryformat=HTML thread=* "
       "rpconly=false listthreads=false outputformat=RAW"},
      {"-a /b", true, "", "tracefile=-a outputfile=/b"},
      {"a b ''", false, "unexpected parameter \n", ""},
      {"-s TEXT out.txt", false, "unexpected parameter out.txt\n", "tracefile=-s outputfile=TEXT"},
      {"a b bad -d", false, "unexpected parameter bad\n", "summary=true"},
      {"a b -d", false, "detail mode option must specifiy RAW or CSV format\n", "summary=false"},
      {"a b -d csv", false, "outputformat must be RAW or CSV\n", ""},
      {"a b -d CSV", true, "", "summary=false outputformat=CSV"},
      {"a b -s", false, kNoSummary, ""},
      {"a b -X -s", false, kNoSummary, ""},
      {"a b -s html", false, kBadSummary, ""},
      {"a b -r -s -d", false, kBadSummary, "rpconly=true summary=true outputformat=RAW"},
      {"a b -d CSV -s TEXT", false, kExclusive, ""},
      {"a b -summary TEXT -detail RAW", false, kExclusive, ""},
      {"a b -d CSV -s TEXT -X", false, Dump("CSV", "TEXT") + kExclusive, ""},
      {"a b -X", true, Dump(), ""},
      {"a b /X", true, Dump(), ""},
      {"a b -v -X", true, Dump() + "version : true\n", "version=true"},
      {"a b -Xy -x", true, "", ""},
      {"a b /r", true, "", "rpconly=true"},
      {"a b -rpconly", true, "", "rpconly=true"},
      {"a b -rxyz", true, "", "rpconly=true"},
      {"a b -R -z - /", true, "", "rpconly=false listthreads=false summary=true"},
      {"a b -listthreads", true, "", "listthreads=true"},
      {"a b /lx", true, "", "listthreads=true"},
      {"a b -s XML -s TEXT", true, "", "summaryformat=TEXT"},
      {"a b --since 14:00 -r --until=+2h", true, "", "since=14:00 until=+2h rpconly=true"},
      {"a b --until", false, "", "", "option --until needs a value: --until=...\n"},
      {"a b --top 5", false, "", "", "option --top needs a value: --top=...\n"},
      {"a b --threads=1 -r --threads=2,3", true, "", "threads=1,2,3"},
      {"a b --top=5 --top=5", false, "", "", "option --top given twice\n"},
      {"a b --until=+1h --since=+1m --until +2h", false, "", "", "option --until given twice\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    std::vector<std::string> words = Words(c.args);
    std::vector<const char*> argv = {"quintrel"};
    for (const std::string& word : words) argv.push_back(word.c_str());
    ParameterMap map;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(map.parse(static_cast<int>(argv.size()), argv.data()), c.accepted);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.complained);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
    for (const std::string& pair : Words(c.values)) {
      size_t equals = pair.find('=');
      EXPECT_EQ(map.get(pair.substr(0, equals)), pair.substr(equals + 1)) << pair;
    }
    if (c.values.find("version") == std::string::npos) {
      EXPECT_EQ(map.get("version"), "");
      EXPECT_FALSE(map.contains("version"));  // get does not insert
    }
  }
}

}  // namespace
}  // namespace quintrel
