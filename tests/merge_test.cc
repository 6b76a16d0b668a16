// Black-box tests of saved profiles and --merge: a trace cut into pieces
// where no call or query is open, profiled piece by piece and merged in
// several groupings and orders, gives the figures of the whole trace and of
// brute force over its CSV rows (tests/merge_check.py); damaged, truncated,
// future and huge profiles and wrong command lines are refused as
// documented.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

std::string SourceDir() { return QUINTREL_SOURCE_DIR; }

// The lines of `text`, each with its line feed.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
  return lines;
}

// `trace` cut into `count` pieces of about equal length, each cut after the
// result of a close call, where the traces at hand have no call or query
// open.
std::vector<std::string> CutTrace(const std::string& trace, size_t count) {
  std::vector<std::string> lines = Lines(trace);
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < lines.size(); ++i) {
    pieces.back() += lines[i];
    bool afterClose = i >= 1 && lines[i - 1].find("API> close,") != std::string::npos &&
                      lines[i].find("Res:") != std::string::npos;
    if (afterClose && pieces.size() < count && (i + 1) * count >= pieces.size() * lines.size()) {
      pieces.emplace_back();
    }
  }
  return pieces;
}

// A stamp of the trace's day, `seconds` after 09:00.
std::string Stamp(int seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "Thu Aug  7 %02d:%02d:%02d 2003 %06d", 9 + seconds / 3600,
                seconds / 60 % 60, seconds % 60, seconds % 7 * 1000);
  return text;
}

// A call as the trace writes it: its API line and its result.
std::string TracedCall(int thread, int seconds, const std::string& api, int ms,
                       const std::string& result = "T") {
  std::string header = "# [ " + std::to_string(thread) + " ] " + Stamp(seconds);
  char duration[32];
  std::snprintf(duration, sizeof duration, "%d.%03d", ms / 1000, ms % 1000);
  return header + " ( 0.000 sec) ( 100 rpc) API> " + api + "\n" + header + " ( " + duration +
         " sec) ( 101 rpc) Res: '" + result + "'\n";
}

// Three hours of queries of three threads on three tables, whose pieces
// take narrower timelines than the whole trace does; the queries of table
// u take `slowerMs` longer.
std::string LongTrace(int slowerMs = 0) {
  const char* const kTables[] = {"t", "u", "v"};
  std::string trace;
  for (int i = 0; i < 600; ++i) {
    int thread = i % 3, at = i * 18;
    std::string table = kTables[i / 3 % 3];
    trace += TracedCall(thread, at,
                        "query,c,select id from " + table + " where n = " + std::to_string(i),
                        i % 17 * 13 + (table == "u" ? slowerMs : 0));
    trace += TracedCall(thread, at + 1, "next,c,q" + std::to_string(i), i % 5);
    trace += TracedCall(thread, at + 2, "close,c,q" + std::to_string(i), 1);
  }
  return trace;
}

// merge_check.py's verdict on two JSON profiles.
std::string Check(const ScratchDir& dir, const std::string& whole, const std::string& merged,
                  const std::string& options) {
  const std::string out = dir.file("check.out");
  const std::string command = "python3 '" + SourceDir() + "/tests/merge_check.py' '" + whole +
                              "' '" + merged + "' " + options + " > '" + out + "' 2>&1";
  std::system(command.c_str());
  std::string result = ReadFile(out);
  if (!result.empty() && result.back() == '\n') result.pop_back();
  return result;
}

// Runs quintrel and expects it to succeed silently.
void Succeeds(const std::vector<std::string>& args) {
  CliResult result = RunQuintrel(args);
  EXPECT_EQ(result, (CliResult{0, "", ""})) << args[0] << " " << args[2];
}

class PiecesEqualWhole : public testing::TestWithParam<const char*> {};

TEST_P(PiecesEqualWhole, InEveryGroupingAndOrder) {
  ScratchDir dir;
  std::string trace = SourceDir() + "/" + GetParam();
  if (std::string(GetParam()) == "long") trace = dir.write("long.trc", LongTrace());
  std::vector<std::string> pieces = CutTrace(ReadFile(trace), 3);
  ASSERT_EQ(pieces.size(), 3u);
  std::vector<std::string> traces, profiles;
  for (size_t i = 0; i < pieces.size(); ++i) {
    traces.push_back(dir.write("piece" + std::to_string(i) + ".trc", pieces[i]));
    profiles.push_back(dir.file("piece" + std::to_string(i) + ".prof"));
    Succeeds({traces[i], profiles[i], "-s", "PROFILE"});
  }
  const std::string whole = dir.file("whole.json"), rows = dir.file("whole.csv");
  Succeeds({trace, whole, "-s", "JSON", "--top=1000"});
  Succeeds({trace, rows, "-d", "CSV"});
  struct Case {
    std::vector<std::string> inputs;
    const char* options;
  };
  const std::string firstTwo = dir.file("first-two.prof");
  Succeeds({profiles[0], firstTwo, "-s", "PROFILE", "--merge=" + profiles[1]});
  const Case cases[] = {
      {{profiles[0], profiles[1], profiles[2]}, "--csv"},
      {{firstTwo, profiles[2]}, ""},
      {{traces[0], traces[1], traces[2]}, ""},
      {{traces[0], profiles[1], traces[2]}, ""},
      {{profiles[2], profiles[0], profiles[1]}, "--figures-only"},
  };
  for (const Case& c : cases) {
    const std::string merged = dir.file("merged.json");
    std::remove(merged.c_str());
    std::vector<std::string> args = {c.inputs[0], merged, "-s", "JSON", "--top=1000", "--jobs=2"};
    for (size_t i = 1; i < c.inputs.size(); ++i) args.push_back("--merge=" + c.inputs[i]);
    Succeeds(args);
    std::string options = c.options;
    if (options == "--csv") options += " '" + rows + "'";
    EXPECT_EQ(Check(dir, whole, merged, options), "ok") << c.inputs[0] << " " << c.options;
  }
}

INSTANTIATE_TEST_SUITE_P(Traces, PiecesEqualWhole,
                         testing::Values("examples/sample.trc", "tests/data/many.trc", "long"));

// Pieces that each open their sessions: the who-and-where tables of their
// saved profiles merged are the whole trace's, where the handle s0, opened
// again in each piece, names three sessions one after the other.
TEST(PiecesEqualWhole, WhoAndWhereWhereEachPieceOpensItsSessions) {
  ScratchDir dir;
  const char* const kConnects[] = {"connect,repoA,ann,,,", "connect,repoB,bob,,,",
                                   "connect,repoA,ann,,,"};
  std::string whole;
  std::vector<std::string> profiles;
  for (int piece = 0; piece < 3; ++piece) {
    std::string text = TracedCall(piece + 1, piece * 600, kConnects[piece], 40 + piece, "s0");
    for (int i = 0; i < 50; ++i) {
      text += TracedCall(piece + 1, piece * 600 + 1 + i, "get,s0,x" + std::to_string(i),
                         (i * 7 + piece) % 23);
      // A session without its connect: user and repository (unknown).
      text += TracedCall(9, piece * 600 + 1 + i, "get,s" + std::to_string(7 + piece) + ",y", i % 3);
    }
    whole += text;
    profiles.push_back(dir.file("piece" + std::to_string(piece) + ".prof"));
    Succeeds({dir.write("piece" + std::to_string(piece) + ".trc", text), profiles.back(), "-s",
              "PROFILE"});
  }
  const std::string wholeJson = dir.file("whole.json"), merged = dir.file("merged.json");
  Succeeds({dir.write("whole.trc", whole), wholeJson, "-s", "JSON", "--top=1000"});
  Succeeds({profiles[0], merged, "-s", "JSON", "--top=1000", "--merge=" + profiles[1],
            "--merge=" + profiles[2]});
  EXPECT_EQ(Check(dir, wholeJson, merged, "--who"), "ok");
  EXPECT_NE(ReadFile(merged).find("\"s0@"), std::string::npos);
}

TEST(SavedProfile, IsTheWholeRunsProfile) {
  ScratchDir dir;
  const std::string trace = SourceDir() + "/examples/sample.trc";
  const std::string saved = dir.file("sample.prof");
  const std::string fromTrace = dir.file("trace.json"), fromSaved = dir.file("saved.json");
  Succeeds({trace, saved, "-s", "PROFILE"});
  Succeeds({trace, fromTrace, "-s", "JSON", "--top=1000"});
  Succeeds({saved, fromSaved, "-s", "JSON", "--top=1000"});
  EXPECT_EQ(Check(dir, fromTrace, fromSaved, ""), "ok");
  for (const char* format : {"DIGEST", "DASHBOARD"}) {
    EXPECT_EQ(RunQuintrel({saved, "CONSOLE", "-s", format}).exitCode, 0) << format;
  }
}

// A report of a saved profile or of a merge hides with --anonymize what one
// run's report hides.
TEST(SavedProfile, AnonymizedReportIsTheRunsAnonymizedReport) {
  ScratchDir dir;
  const std::string trace = SourceDir() + "/examples/sample.trc";
  const std::string saved = dir.file("sample.prof");
  const std::string fromTrace = dir.file("trace.json"), fromSaved = dir.file("saved.json");
  Succeeds({trace, saved, "-s", "PROFILE"});
  Succeeds({trace, fromTrace, "-s", "JSON", "--top=1000", "--anonymize"});
  Succeeds({saved, fromSaved, "-s", "JSON", "--top=1000", "--anonymize"});
  EXPECT_EQ(Check(dir, fromTrace, fromSaved, "--who"), "ok");
  const std::string merged = dir.file("merged.json");
  Succeeds({saved, merged, "-s", "JSON", "--anonymize", "--merge=" + Data("many.trc")});
  for (const std::string& report : {fromSaved, merged}) {
    std::string text = ReadFile(report);
    EXPECT_EQ(text.find("admin"), std::string::npos) << report;
    EXPECT_NE(text.find("\"--anonymize\""), std::string::npos) << report;
  }
}

// The call filters of a run cannot narrow a saved profile: the run says so
// on standard error, for the profile as input and as a merged one, and goes
// on; --anonymize, which applies to the report, is not named.
TEST(SavedProfile, FiltersThatCannotApplyAreNamed) {
  ScratchDir dir;
  const std::string saved = dir.file("sample.prof");
  Succeeds({SourceDir() + "/examples/sample.trc", saved, "-s", "PROFILE"});
  const std::string warning =
      "quintrel: warning: the filters -r, --users=admin do not apply to "
      "saved profile " +
      saved + ": it holds the calls its own run kept\n";
  const std::vector<std::vector<std::string>> runs = {
      {saved, "CONSOLE", "-s", "JSON", "--users=admin", "-r"},
      {Data("many.trc"), "CONSOLE", "-s", "DIGEST", "--users=admin", "-r", "--merge=" + saved}};
  for (const std::vector<std::string>& run : runs) {
    CliResult result = RunQuintrel(run);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find(warning), std::string::npos) << result.err;
  }
  CliResult plain = RunQuintrel({saved, "CONSOLE", "-s", "JSON", "--anonymize"});
  EXPECT_EQ(plain.exitCode, 0);
  EXPECT_EQ(plain.err.find("do not apply"), std::string::npos) << plain.err;
}

// The JSON document of the saved profile `path`.
std::string Decompressed(const std::string& path) { return RunCommand({"zstd", "-dcq", path}).out; }

// Whether `document` is valid against the schema docs/`schema`; "ok" or
// the validator's complaint.
std::string Validate(const std::string& schema, const std::string& document) {
  CliResult result = RunCommand(
      {"python3", "-c",
       "import json, jsonschema, sys\n"
       "jsonschema.validate(json.load(open(sys.argv[2])), json.load(open(sys.argv[1])))\n"
       "print('ok')",
       SourceDir() + "/docs/" + schema, document});
  return result.exitCode == 0 ? "ok" : result.err;
}

TEST(Schemas, HoldForSavedProfilesAndComparisons) {
  ScratchDir dir;
  const std::string trace = SourceDir() + "/examples/sample.trc", other = Data("many.trc");
  const std::string saved = dir.file("merged.prof"), compared = dir.file("compared.json");
  Succeeds({trace, saved, "-s", "PROFILE", "--merge=" + other});
  const std::string document = dir.write("merged.json", Decompressed(saved));
  EXPECT_EQ(Validate("quintrel-saved-profile.schema.json", document), "ok");
  Succeeds({trace, compared, "-s", "JSON", "--compare=" + other});
  EXPECT_EQ(Validate("quintrel-profile.schema.json", compared), "ok");
  EXPECT_NE(ReadFile(compared).find("\"comparison\""), std::string::npos);
}

// A saved profile of the sample, edited.
std::string EditedProfile(const std::string& from, const std::string& to) {
  ScratchDir dir;
  const std::string saved = dir.file("sample.prof");
  RunQuintrel({SourceDir() + "/examples/sample.trc", saved, "-s", "PROFILE"});
  std::string text = Decompressed(saved);
  size_t at = text.find(from);
  return at == std::string::npos ? "" : text.replace(at, from.size(), to);
}

TEST(SavedProfile, RefusedWhenDamaged) {
  std::string good = EditedProfile("", "");
  const struct {
    const char* name;
    std::string text;
    const char* message;
  } cases[] = {
      {"truncated", good.substr(0, good.size() / 2), "damaged: not a whole JSON document"},
      {"future", EditedProfile("\"version\":3", "\"version\":4"), "written by a later version"},
      {"no version", EditedProfile("\"version\":3", "\"version\":\"3\""), "damaged: version"},
      {"no sessions", EditedProfile("\"sessions\":", "\"was\":"), "damaged: no sessions"},
      {"empty session", EditedProfile("\"repo01\",[", "\"repo01\",[],[\"was\","), "damaged:"},
      {"count zero", EditedProfile(",0,[21,1]", ",0,[21,0]"), "damaged: a count"},
      {"odd durations", EditedProfile(",0,[21,1]", ",0,[21,1,22]"), "damaged:"},
      {"unknown thread", EditedProfile("],[0]]", "],[99]]"), "damaged: a thread"},
      {"wrong kind", EditedProfile("\"apis\":[", "\"apis\":{\"x\":1},\"old\":["), "damaged: apis"},
      {"objects",
       EditedProfile("\"apis\":[[",
                     "\"apis\":[{\"name\":\"x\",\"fetches\":0,"
                     "\"durations\":[1,1]},["),
       "damaged: a list expected around name"},
      {"extra field", EditedProfile(",0,[21,1]]", ",0,[21,1],[\"x\",1,\"t\",\"s\"],7]"),
       "damaged: more than 4 items around name"},
      {"huge", "{\"format\"" + std::string(33 << 20, ' ') + "}", "larger than 32 MB"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    ASSERT_FALSE(c.text.empty()) << c.name;
    const std::string saved = dir.write("bad.prof", c.text), out = dir.file("out.json");
    CliResult result = RunQuintrel({saved, out, "-s", "JSON"}, RunOptions{.measureMemory = true});
    EXPECT_EQ(result.exitCode, 3) << c.name;
    EXPECT_EQ(result.err.find("cannot read saved profile " + saved + ": "), 0u) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << c.name << ": " << result.err;
    EXPECT_FALSE(std::ifstream(out).good()) << c.name;
    EXPECT_LT(result.peakKb, 400 << 10) << c.name;
  }
}

TEST(Merge, RefusesWhatItCannotDo) {
  ScratchDir dir;
  const std::string trace = SourceDir() + "/examples/sample.trc", other = Data("many.trc");
  const std::string saved = dir.file("sample.prof"), out = dir.file("out");
  Succeeds({trace, saved, "-s", "PROFILE"});
  const struct {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  } cases[] = {
      {{trace, out, "-s", "TEXT", "--merge=" + other},
       1,
       "--merge: is taken by -s JSON, DIGEST, DASHBOARD and PROFILE"},
      {{trace, out, "-d", "CSV", "--merge=" + other}, 1, "--merge: is taken by"},
      {{trace, out, "-s", "PROFILE", "--compare=" + other}, 1, "--compare: is taken by"},
      {{saved, out, "-s", "XML"}, 1, " is a saved profile: only -s JSON, DIGEST, DASHBOARD"},
      {{trace, out, "-s", "JSON", "--merge=" + trace}, 1, "--merge names a trace twice"},
      {{trace, out, "-s", "JSON", "--merge=" + other, "--merge=" + other}, 1, "twice"},
      {{trace, out, "-s", "JSON", "--merge=" + out}, 2, "output is the trace file"},
      {{trace, out, "-s", "PROFILE", "--anonymize"}, 1, "--anonymize: is not taken by -s PROFILE"},
      {{trace, out, "-s", "JSON", "--compare=" + saved, "--anonymize"},
       1,
       "--anonymize: is not taken by -s PROFILE or --compare"},
      {{trace, out, "-s", "JSON", "--merge=" + dir.file("missing")}, 3, "cannot open trace file"},
  };
  for (const auto& c : cases) {
    CliResult result = RunQuintrel(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.message;
    EXPECT_EQ(result.out, "") << c.message;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_FALSE(std::ifstream(out).good()) << c.message;
  }
}

// The README's recipe for many machines: its block of shell commands.
std::string Recipe() {
  std::string readme = ReadFile(SourceDir() + "/README.md");
  size_t start = readme.find("```sh\nmachines=");
  if (start == std::string::npos) return "";
  start += 6;
  return readme.substr(start, readme.find("```\n", start) - start);
}

TEST(Recipe, ManyMachinesRunsWithGnuParallel) {
  ScratchDir dir;
  std::string recipe = Recipe();
  ASSERT_NE(recipe.find("machines=web1,web2,:\n"), std::string::npos) << recipe;
  ASSERT_NE(recipe.find("traces=/shared/traces\n"), std::string::npos) << recipe;
  recipe.replace(recipe.find("web1,web2,:"), 11, ":");
  recipe.replace(recipe.find("/shared/traces"), 14, "'" + dir.file("traces") + "'");
  // The whole trace, in three pieces on two servers.
  const std::string whole = dir.write("whole.trc", LongTrace());
  std::vector<std::string> pieces = CutTrace(ReadFile(whole), 3);
  const char* const kPlaces[] = {"web1/piece0.trc", "web1/piece1.trc", "web2/piece2.trc"};
  ASSERT_EQ(RunCommand({"mkdir", "-p", dir.file("traces/web1"), dir.file("traces/web2")}).exitCode,
            0);
  for (size_t i = 0; i < 3; ++i) dir.write("traces/" + std::string(kPlaces[i]), pieces[i]);
  std::string binary = QUINTREL_BINARY;
  std::string path = "PATH='" + binary.substr(0, binary.rfind('/')) + "':\"$PATH\"\n";
  CliResult result = RunCommand({"bash", "-euc", path + recipe}, RunOptions{.workDir = dir.path()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(ReadFile(dir.file("dashboard.html")).find("</html>"), std::string::npos);
  // The profiles the map step left merge into the whole trace's figures.
  const std::string wholeJson = dir.file("whole.json"), merged = dir.file("merged.json");
  Succeeds({whole, wholeJson, "-s", "JSON", "--top=1000"});
  Succeeds({dir.file("traces/web1/piece0.trc.prof"), merged, "-s", "JSON", "--top=1000",
            "--merge=" + dir.file("traces/web1/piece1.trc.prof"),
            "--merge=" + dir.file("traces/web2/piece2.trc.prof")});
  EXPECT_EQ(Check(dir, wholeJson, merged, ""), "ok");
}

TEST(Compare, APlantedSlowdownLeadsTheDigest) {
  ScratchDir dir;
  const std::string base = dir.write("base.trc", LongTrace());
  const std::string slower = dir.write("slower.trc", LongTrace(40));
  const std::string saved = dir.file("base.prof");
  Succeeds({base, saved, "-s", "PROFILE"});
  for (const std::string& against : {base, saved}) {
    CliResult result = RunQuintrel({slower, "CONSOLE", "-s", "DIGEST", "--compare=" + against});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> lines = Lines(result.out);
    size_t at = 0;
    while (at < lines.size() && lines[at].rfind("biggest changes against", 0) != 0) ++at;
    ASSERT_EQ(at, 6u) << result.out;  // after the headline and a blank line
    EXPECT_NE(lines[at].find("(5 of 608, 0 new, 0 gone)"), std::string::npos) << lines[at];
    // Both periods last as long: the base counts as it is.
    EXPECT_EQ(lines[at + 1].rfind("  base totals x 1.000,", 0), 0u) << lines[at + 1];
    EXPECT_NE(lines[at + 3].find("+8.040 "), std::string::npos) << lines[at + 3];
    EXPECT_NE(lines[at + 3].find(" query "), std::string::npos) << lines[at + 3];
    EXPECT_NE(lines[at + 4].find("select id from u where n = ?"), std::string::npos) << result.out;
  }
}

}  // namespace
}  // namespace quintrel_test
