// Black-box tests of what fits quintrel into other tools: the JSONL listing
// read by sqlite and jq, the text, user and repository filters, and
// anonymized output.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

const std::string kSample = std::string(QUINTREL_SOURCE_DIR) + "/examples/sample.trc";
const size_t kIdDigits = 12;

// The lines of `text`, sorted.
std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The rows of the TEXT report's API call summary as "name<TAB>calls<TAB>seconds".
std::string ApiSummaryOf(const std::string& report) {
  size_t at = report.find("API call summary:");
  at = report.find("-\n", at) + 2;
  std::istringstream rows(report.substr(at, report.find("\n\n", at) - at));
  std::string rowsText;
  for (std::string name, calls, seconds; rows >> name >> calls >> seconds;) {
    rowsText += name + "\t" + calls + "\t" + seconds + "\n";
  }
  return rowsText;
}

// The same figures from the JSONL listing, by sqlite's JSON functions.
std::string ApiSummaryBySqlite(const std::string& jsonl) {
  const char kQuery[] =
      "select json_extract(j, '$.api'), count(*),"
      " printf('%.3f', sum(json_extract(j, '$.durationMs')) / 1000.0) from calls group by 1";
  CliResult result = RunCommand({"sqlite3", ":memory:", "-cmd", ".mode ascii", "-cmd",
                                 ".separator \"\\t\" \"\\n\"", "create table calls(j text);",
                                 ".import " + jsonl + " calls", kQuery});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  return result.out;
}

std::vector<std::string> Traces(const ScratchDir& dir) {
  std::vector<std::string> traces = {kSample, Data("many.trc"), Data("small.trc")};
#ifdef QUINTREL_TRACE_GENERATOR
  // A slice of the bench's trace, as bench/run_bench.sh makes it.
  std::string bench = dir.file("bench.trc");
  EXPECT_EQ(RunCommand({QUINTREL_TRACE_GENERATOR, "20030806", "3", bench}).exitCode, 0);
  traces.push_back(bench);
#else
  (void)dir;
#endif
  return traces;
}

TEST(Toolbox, SqliteReadsTheJsonlListingAsTheTextReportCounts) {
  ScratchDir dir;
  for (const std::string& trace : Traces(dir)) {
    const std::string jsonl = dir.file("calls.jsonl"), text = dir.file("report.txt");
    ASSERT_EQ(RunQuintrel({trace, jsonl, "-d", "JSONL"}).exitCode, 0) << trace;
    ASSERT_EQ(RunQuintrel({trace, text, "-s", "TEXT"}).exitCode, 0) << trace;
    EXPECT_EQ(SortedLines(ApiSummaryBySqlite(jsonl)), SortedLines(ApiSummaryOf(ReadFile(text))))
        << trace;
    std::remove(jsonl.c_str());
    std::remove(text.c_str());
  }
}

// Traces whose texts hold every kind of byte.
std::vector<std::string> HostileTraces(const ScratchDir& dir) {
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919) % 256);
  std::replace(noise.begin(), noise.end(), '#', '.');
  std::replace(noise.begin(), noise.end(), '\n', ' ');
  const std::string bytes = "<&>\"'\\\x01\x1b\x7f\x80\xff\xc3\x28\xed\xa0\x80";
  const std::string big(40, '9');
  return {
      dir.write("noise.trc", Call("1", "get,s0," + noise) + Call("2", "query,c,select '" + noise)),
      dir.write("bytes.trc", Call("1", "get,c," + bytes) + Call(bytes, bytes + "," + bytes)),
      dir.write("big.trc", "# [ " + big + " ] Wed Aug " + big + " " + big + ":1:1 " + big + " " +
                               big + " ( " + big + "." + big + " sec) ( 1 rpc) API> x\n" +
                               Call("3", "x")),
      dir.write("lines.trc", Header("1") + "API> readquery,c,select a\n\x01" + bytes + "\n" +
                                 Header("1", true) + "Res: 'q0'\n"),
  };
}

TEST(Toolbox, EveryCallIsAJsonlLineThatJqReads) {
  ScratchDir dir;
  for (const std::string& trace : HostileTraces(dir)) {
    const std::string jsonl = dir.file("out.jsonl");
    ASSERT_EQ(RunQuintrel({trace, jsonl, "-d", "JSONL"}).exitCode, 0) << trace;
    CliResult jq = RunCommand({"jq", "-c", ".", jsonl});
    EXPECT_EQ(jq.exitCode, 0) << trace << jq.err;
    const std::string listing = ReadFile(jsonl);
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'),
              std::count(jq.out.begin(), jq.out.end(), '\n'));
    EXPECT_GT(std::count(listing.begin(), listing.end(), '\n'), 0) << trace;
    std::remove(jsonl.c_str());
  }
}

int Lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The calls of `filters` on the sample in each listing and in the profile.
void ExpectCallsInEveryFormat(const std::vector<std::string>& filters, int calls) {
  for (const char* format : {"CSV", "JSONL", "RAW"}) {
    std::vector<std::string> arguments = {kSample, "CONSOLE", "-d", format};
    arguments.insert(arguments.end(), filters.begin(), filters.end());
    CliResult listing = RunQuintrel(arguments);
    EXPECT_EQ(listing.exitCode, 0);
    std::string out = listing.out;
    size_t apiLines = 0;
    for (size_t at = out.find("API>"); at != std::string::npos; at = out.find("API>", at + 1)) {
      ++apiLines;
    }
    int records = std::string(format) == "RAW" ? static_cast<int>(apiLines) : Lines(out);
    EXPECT_EQ(records, calls) << format << " " << testing::PrintToString(filters);
  }
  std::vector<std::string> json = {kSample, "CONSOLE", "-s", "JSON"};
  json.insert(json.end(), filters.begin(), filters.end());
  CliResult profile = RunQuintrel(json);
  EXPECT_NE(profile.out.find("\"calls\": " + std::to_string(calls) + ","), std::string::npos)
      << testing::PrintToString(filters);
}

TEST(Toolbox, TextUserAndRepositoryFiltersApplyToEveryFormat) {
  const struct {
    std::vector<std::string> filters;
    int calls;
  } kCases[] = {
      // The counts are those of grep -E over the API texts of the CSV listing.
      {{"--match=^next,"}, 28},
      {{"--match", "^next,"}, 28},
      {{"--exclude=^(get|next),"}, 67},
      {{"--match=owner_name = 'jsmith'"}, 2},
      {{"--match=(?i)SELECT", "--exclude=^readquery"}, 8},
      {{"--match=q[0-9]+$", "-r"}, 8},
      // The users table of the sample's digest: admin 42 calls, jsmith 39.
      {{"--users=admin"}, 42},
      {{"--users=admin,jsmith"}, 81},
      {{"--users=admin", "--users=jsmith"}, 81},
      {{"--repositories=repo01"}, 165},
      {{"--users=jsmith", "--repositories=repo01"}, 39},
      {{"--users=admin", "--repositories=repo02"}, 0},
      {{"--users=Admin"}, 0},
      // admin's connect is at 14:03:20: its later calls keep their user.
      {{"--users=admin", "--since=14:03:30"}, 21},
  };
  for (const auto& c : kCases) ExpectCallsInEveryFormat(c.filters, c.calls);
}

// A call of `thread` at second `second` of 14:03 with the result `result`.
std::string TimedCall(const std::string& thread, int second, const std::string& api,
                      const std::string& result = "q0") {
  std::string stamp = "Wed Aug  6 14:03:" + std::to_string(10 + second) + " 2003 1";
  return ApiLine(thread, api, 1, stamp) + "\n" +
         ResultLine(thread, result + "'", "0.002", 2, stamp) + "\n";
}

// "session user repository" of each session of a JSON profile, sorted.
std::string SessionUsers(const std::string& json) {
  RunOptions options;
  options.input = json;
  CliResult jq = RunCommand(
      {"jq", "-r", ".sessions.items[] | \"\\(.session) \\(.user) \\(.repository)\""}, options);
  EXPECT_EQ(jq.exitCode, 0) << jq.err;
  std::vector<std::string> lines = SortedLines(jq.out);
  std::string sorted;
  for (const std::string& line : lines) sorted += line + "\n";
  return sorted;
}

TEST(Toolbox, SessionsKeepTheUserOfTheirConnectWhateverTheFiltersDrop) {
  ScratchDir dir;
  // ann's s0 is opened by thread 1 and used by thread 2; bob's connect on
  // thread 3 comes after thread 3's first call and opens s0 again, "s0 #2".
  const std::string trace = dir.write(
      "who.trc", TimedCall("1", 0, "connect,repoA,ann,,,", "s0") + TimedCall("2", 1, "get,s0,x") +
                     TimedCall("1", 2, "query,c,select a from t") + TimedCall("3", 3, "get,s9,y") +
                     TimedCall("2", 4, "next,s0,q0") +
                     TimedCall("3", 5, "connect,repoB,bob,,,", "s0") +
                     TimedCall("3", 6, "get,c,z") + TimedCall("2", 7, "get,s0,w"));
  // Sorted: "s0 #2" before "s0 ann".
  const std::string kAll = "s0 #2 bob repoB\ns0 ann repoA\ns9 (unknown) (unknown)\n";
  const struct {
    std::vector<std::string> filters;
    std::string sessions;  // as SessionUsers gives them
  } kCases[] = {
      {{}, kAll},
      {{"--since=14:03:11"}, kAll},
      {{"--users=ann", "--since=14:03:12"}, "s0 ann repoA\n"},
      {{"--repositories=repoB", "--until=14:03:17", "--since=14:03:16"}, "s0 #2 bob repoB\n"},
      {{"--threads=2"}, "s0 #2 bob repoB\ns0 ann repoA\n"},
      {{"--threads=3", "--exclude=^connect"}, "s0 #2 bob repoB\ns9 (unknown) (unknown)\n"},
      {{"--match=^(get|query|next),"}, kAll},
      {{"--users=bob", "--match=^get"}, "s0 #2 bob repoB\n"},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> args = {trace, "CONSOLE", "-s", "JSON"};
    args.insert(args.end(), c.filters.begin(), c.filters.end());
    std::string json = RunQuintrel(args).out;
    EXPECT_EQ(SessionUsers(json), c.sessions) << testing::PrintToString(c.filters);
    // The saved profile keeps the same sessions, and the digest and the
    // dashboard list no user the profile has not.
    const std::string saved = dir.file("saved.prof");
    args[1] = saved;
    args[3] = "PROFILE";
    ASSERT_EQ(RunQuintrel(args).exitCode, 0);
    CliResult fromSaved = RunQuintrel({saved, "CONSOLE", "-s", "JSON"});
    EXPECT_EQ(SessionUsers(fromSaved.out), c.sessions) << testing::PrintToString(c.filters);
    std::remove(saved.c_str());
    args[1] = "CONSOLE";
    for (const char* format : {"DIGEST", "DASHBOARD"}) {
      args[3] = format;
      bool unknown = c.sessions.find("(unknown)") != std::string::npos;
      EXPECT_EQ(RunQuintrel(args).out.find("(unknown)") != std::string::npos, unknown)
          << format << testing::PrintToString(c.filters);
    }
  }
}

TEST(Toolbox, TheReadmeShowsTheSamplesDigestAsItIs) {
  const std::string readme = ReadFile(std::string(QUINTREL_SOURCE_DIR) + "/README.md");
  size_t start = readme.find("```\nusers (");
  ASSERT_NE(start, std::string::npos);
  start += 4;
  const std::string block = readme.substr(start, readme.find("```\n", start) - start);
  const std::string digest = RunQuintrel({kSample, "CONSOLE", "-s", "DIGEST", "--width=80"}).out;
  ASSERT_GE(digest.size(), block.size());
  EXPECT_EQ(digest.substr(digest.size() - block.size()), block);
}

TEST(Toolbox, UserAndRepositoryFiltersAreNamedInTheReports) {
  CliResult digest =
      RunQuintrel({kSample, "CONSOLE", "-s", "DIGEST", "--users=admin", "--repositories=repo01"});
  EXPECT_NE(digest.out.find("filters      --users=admin, --repositories=repo01"), std::string::npos)
      << digest.out;
  EXPECT_NE(digest.out.find("users (1 of 1)"), std::string::npos);
  CliResult json = RunQuintrel({kSample, "CONSOLE", "-s", "JSON", "--users=admin,jsmith"});
  EXPECT_NE(json.out.find("\"--users=admin,jsmith\""), std::string::npos);
  CliResult none = RunQuintrel({kSample, "CONSOLE", "-d", "CSV", "--users=nobody"});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_NE(none.err.find("the filters leave none of the 165 calls"), std::string::npos);
  for (const char* invalid : {"--users=", "--users=a,,b", "--repositories=,a"}) {
    EXPECT_EQ(RunQuintrel({kSample, "CONSOLE", "-d", "CSV", invalid}).exitCode, 1) << invalid;
  }
}

TEST(Toolbox, AnInvalidPatternIsAUsageErrorNamingThePosition) {
  CliResult result = RunQuintrel({kSample, "CONSOLE", "-d", "CSV", "--exclude=ab)c"});
  EXPECT_EQ(result.exitCode, 1);
  // The reason on standard error, the usage text on standard output.
  EXPECT_EQ(result.err, "invalid value for --exclude: ab)c (at position 3: ')' without '(')\n");
  EXPECT_EQ(result.out.rfind("Usage:"), result.out.find("Usage:")) << result.out;
}

TEST(Toolbox, PatternsThatBlowUpBacktrackingFinish) {
  ScratchDir dir;
  const std::string trace = dir.write("t.trc", Call("1", "get,s0," + std::string(1 << 20, 'a')));
  RunOptions limited;
  limited.timeLimit = 120;
  for (const std::string pattern : {"(a*)*b", "(a|a)*b", "(a|aa)*c", "(.*a)*x", "(a+)+$"}) {
    CliResult result = RunQuintrel({trace, "CONSOLE", "-d", "CSV", "--match=" + pattern}, limited);
    EXPECT_EQ(result.exitCode, 0) << pattern;
    EXPECT_EQ(Lines(result.out), pattern == std::string("(a+)+$") ? 1 : 0) << pattern;
  }
}

TEST(Toolbox, AnonymizedOutputKeepsNoPlantedLiteral) {
  const std::vector<std::string> kPlanted = {"PLANTEDONE",   "987654321",   "0b00abcdef123456",
                                             "PLANTEDREPO",  "PLANTEDUSER", "PLANTEDTWO",
                                             "PLANTEDTHREE", "PLANTEDFOUR", "12.75"};
  ScratchDir dir;
  const std::string trace = dir.write(
      "planted.trc",
      Call("1", "connect,PLANTEDREPO,PLANTEDUSER,,,") + Call("1", "getlogin,s0,PLANTEDUSER") +
          Call("1", "query,c,select a from t where n = 'PLANTEDONE' and m = 987654321") +
          Call("2", "fetch,s0,0b00abcdef123456") + Call("2", "id,c,t where name = 'PLANTEDTWO'") +
          Call("2", "set,s0,subject,'PLANTEDTHREE, a'") + Call("3", "getfile,s0,x,12.75") +
          Header("3") + "API> readquery,c,select a from t\nwhere b = 'PLANTEDFOUR'\n" +
          Header("3", true) + "Res: 'q1'\n");
  const std::vector<std::vector<std::string>> kFormats = {
      {"-s", "TEXT"},   {"-s", "HTML"},      {"-s", "XML"}, {"-s", "JSON"},
      {"-s", "DIGEST"}, {"-s", "DASHBOARD"}, {"-d", "CSV"}, {"-d", "JSONL"}};
  for (const auto& format : kFormats) {
    std::vector<std::string> args = {trace, "CONSOLE", format[0], format[1]};
    std::string plain = RunQuintrel(args).out;
    args.push_back("--anonymize");
    CliResult anonymized = RunQuintrel(args);
    EXPECT_EQ(anonymized.exitCode, 0);
    for (const std::string& literal : kPlanted) {
      EXPECT_EQ(anonymized.out.find(literal), std::string::npos) << format[1] << " " << literal;
    }
    // The plain run shows what the anonymized one hides.
    EXPECT_NE(plain.find("PLANTEDONE"), std::string::npos) << format[1];
  }
  EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "RAW", "--anonymize"}).exitCode, 1);
}

}  // namespace
}  // namespace quintrel_test

namespace quintrel_test {
namespace {

// The ids the "id" fields of one list of a JSON profile give.
std::set<std::string> IdsOf(const std::string& json, const std::string& list) {
  std::set<std::string> ids;
  // The document is indented by one blank a level: the list ends at "\n }".
  size_t end = json.find("\n }", json.find("\"" + list + "\""));
  for (size_t at = json.find("\"" + list + "\""); (at = json.find("\"id\": \"", at)) < end;) {
    at += 7;
    ids.insert(json.substr(at, kIdDigits));
  }
  return ids;
}

// The values of `key` in the lines of a JSONL listing, nulls left out.
std::set<std::string> JsonlIdsOf(const std::string& jsonl, const std::string& key) {
  std::set<std::string> ids;
  const std::string field = "\"" + key + "\":\"";
  for (size_t at = 0; (at = jsonl.find(field, at)) != std::string::npos;) {
    at += field.size();
    ids.insert(jsonl.substr(at, kIdDigits));
  }
  return ids;
}

// "id count" of each query class, sorted: the queries of a JSON profile's
// classes, or the JSONL lines that name each class.
std::string QueryClassCounts(const std::string& document, bool jsonl) {
  RunOptions options;
  options.input = document;
  const char* program = jsonl ? "select(.queryClass) | .queryClass"
                              : ".queryClasses.items[] | range(.queries) as $n | .id";
  CliResult jq = RunCommand({"jq", "-r", program}, options);
  EXPECT_EQ(jq.exitCode, 0) << jq.err;
  std::map<std::string, int> counts;
  for (const std::string& id : SortedLines(jq.out)) ++counts[id];
  std::string text;
  for (const auto& [id, count] : counts) text += id + " " + std::to_string(count) + "\n";
  return text;
}

TEST(Toolbox, JsonlClassIdsAreTheProfilesOfTheSameRun) {
  ScratchDir dir;
  std::vector<std::string> traces = Traces(dir);
  // Execquery calls without their getlastcoll, one replaced by the next on
  // its connection, one named by two getlastcoll calls, and a query call
  // whose text fits no query pattern.
  traces.push_back(dir.write(
      "execquery.trc",
      Call("1", "execquery,s0,F,select a from t where x = 1") +
          Call("1", "execquery,s0,F,select b from u where y = 2") + Call("1", "getlastcoll,s0") +
          Call("1", "next,s0,q0") + Call("1", "getlastcoll,s0") + Call("2", "getlastcoll,s1") +
          Call("2", "execquery,c,F,update t set a = 1") + Call("2", "query,x,odd")));
  for (const std::string& trace : traces) {
    for (std::vector<std::string> anonymize : {std::vector<std::string>{}, {"--anonymize"}}) {
      std::vector<std::string> json = {trace, "CONSOLE", "-s", "JSON", "--top=100000"};
      std::vector<std::string> jsonl = {trace, "CONSOLE", "-d", "JSONL"};
      json.insert(json.end(), anonymize.begin(), anonymize.end());
      jsonl.insert(jsonl.end(), anonymize.begin(), anonymize.end());
      std::string profile = RunQuintrel(json).out, listing = RunQuintrel(jsonl).out;
      EXPECT_EQ(JsonlIdsOf(listing, "class"), IdsOf(profile, "callClasses"))
          << trace << testing::PrintToString(anonymize);
      // A line names a query class where the profile counts a query, so
      // the lines of each class are its queries.
      EXPECT_EQ(QueryClassCounts(listing, true), QueryClassCounts(profile, false))
          << trace << testing::PrintToString(anonymize);
    }
  }
}

TEST(Toolbox, DashAsTheOutputIsStandardOutput) {
  const CliResult console = RunQuintrel({kSample, "CONSOLE", "-d", "CSV"});
  EXPECT_EQ(RunQuintrel({kSample, "-", "-d", "CSV"}), console);
  RunOptions fromStandardInput;
  fromStandardInput.input = ReadFile(kSample);
  EXPECT_EQ(RunQuintrel({"-", "-", "-d", "CSV"}, fromStandardInput), console);
}

TEST(Toolbox, DevicesAndFifosAreWrittenToAndFilesStayRefused) {
  ScratchDir dir;
  EXPECT_EQ(RunQuintrel({kSample, "/dev/null", "-s", "TEXT"}).exitCode, 0);
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string copy = dir.file("copy.csv");
  // The reader copies the FIFO to a file while quintrel writes into it.
  const std::string reader = "cat " + fifo + " > " + copy + " &";
  ASSERT_EQ(std::system(reader.c_str()), 0);
  EXPECT_EQ(RunQuintrel({kSample, fifo, "-d", "CSV"}), (CliResult{0, "", ""}));
  for (int wait = 0; wait < 100 && ReadFile(copy).empty(); ++wait) usleep(50000);
  usleep(100000);
  EXPECT_EQ(ReadFile(copy), RunQuintrel({kSample, "CONSOLE", "-d", "CSV"}).out);
  const std::string file = dir.write("exists.csv", "keep");
  EXPECT_EQ(
      RunQuintrel({kSample, file, "-d", "CSV"}),
      (CliResult{2, "File " + file + " already exists\nCannot overwrite existing file\n", ""}));
  EXPECT_EQ(ReadFile(file), "keep");
}

}  // namespace
}  // namespace quintrel_test
