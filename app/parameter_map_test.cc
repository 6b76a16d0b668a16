#include "app/parameter_map.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace quintrel {
namespace {

const std::string kDefaultDump =
    "listthreads : false\noutputfile : b\noutputformat : RAW\nrpconly : false\n"
    "summary : true\nsummaryformat : HTML\nthread : *\ntracefile : a\n";
const std::string kNoDetail = "detail mode option must specifiy RAW or CSV format\n";
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

// Parses the words of `args` after the program path; returns what was printed.
std::string ParseCapturing(ParameterMap* map, const std::string& args, bool* accepted) {
  std::vector<std::string> words = Words(args);
  std::vector<const char*> argv = {"quintrel"};
  for (const std::string& word : words) argv.push_back(word.c_str());
  testing::internal::CaptureStdout();
  *accepted = map->parse(static_cast<int>(argv.size()), argv.data());
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

TEST(ParameterMapTest, ParsesCommandLines) {
  struct Case {
    std::string args;
    bool accepted;
    std::string printed;
    std::string values;  // "key=value" words
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
      {"a b -d", false, kNoDetail, "summary=false"},
      {"a b -d csv", false, "outputformat must be RAW or CSV\n", ""},
      {"a b -d CSV", true, "", "summary=false outputformat=CSV"},
      {"a b -s", false, kNoSummary, ""},
      {"a b -X -s", false, kNoSummary, ""},
      {"a b -s html", false, kBadSummary, ""},
      {"a b -r -s -d", false, kBadSummary, "rpconly=true summary=true outputformat=RAW"},
      {"a b -d CSV -s TEXT", false, kExclusive, ""},
      {"a b -summary TEXT -detail RAW", false, kExclusive, ""},
      {"a b -d CSV -s TEXT -X", false,
       "listthreads : false\noutputfile : b\noutputformat : CSV\nrpconly : false\n"
       "summary : true\nsummaryformat : TEXT\nthread : *\ntracefile : a\n" +
           kExclusive,
       ""},
      {"a b -X", true, kDefaultDump, ""},
      {"a b /X", true, kDefaultDump, ""},
      {"a b -v -X", true, kDefaultDump + "version : true\n", "version=true"},
      {"a b -Xy -x", true, "", ""},
      {"a b /r", true, "", "rpconly=true"},
      {"a b -rpconly", true, "", "rpconly=true"},
      {"a b -rxyz", true, "", "rpconly=true"},
      {"a b -R -z - /", true, "", "rpconly=false listthreads=false summary=true"},
      {"a b -listthreads", true, "", "listthreads=true"},
      {"a b /lx", true, "", "listthreads=true"},
      {"a b -s XML -s TEXT", true, "", "summaryformat=TEXT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    ParameterMap map;
    bool accepted = false;
    EXPECT_EQ(ParseCapturing(&map, c.args, &accepted), c.printed);
    EXPECT_EQ(accepted, c.accepted);
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

TEST(ParameterMapTest, UsagePrintsBannerAndOptions) {
  testing::internal::CaptureStdout();
  ParameterMap().usage();
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Palvero Profiler v1.3\n\nUsage:\nquintrel tracefile outputfile [options]\n"
            "options: -s[ummary] { TEXT | HTML | XML }\n"
            "         -d[etail]  { RAW | CSV }\n"
            "         -r[pconly]\n"
            "         -l[istthreads]\n");
}

}  // namespace
}  // namespace quintrel
