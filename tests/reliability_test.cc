// Black-box tests of the run under pressure: memory that follows what the
// output must hold, a report that survives running out of memory, standard
// streams that are closed or slow, an output that is the trace, and output
// files that only ever appear complete.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <utility>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

const long kMb = 1024;  // in the KB that peakKb counts

// Memory limits and figures mean nothing under the address sanitizer, which
// maps terabytes of shadow memory.
#ifdef QUINTREL_SANITIZED
#define SKIP_UNDER_SANITIZERS() GTEST_SKIP() << "memory is not measurable under the sanitizers"
#else
#define SKIP_UNDER_SANITIZERS() (void)0
#endif

// Writes a trace of an API line, `body` and a result line.
std::string WriteCall(const ScratchDir& dir, const std::string& name, const std::string& api,
                      const std::string& body) {
  return dir.write(name,
                   Header("1") + "API> " + api + "\n" + body + Header("1", true) + "Res: 'q0'\n");
}

std::string RandomBytes(size_t size) {
  std::mt19937 random(11);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// Gigabytes of zero bytes without a line feed, as /dev/zero gives them,
// in a sparse file that takes no disk.
std::string WriteZeros(const ScratchDir& dir, off_t size) {
  const std::string path = dir.file("zeros");
  int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0600);
  EXPECT_EQ(ftruncate(fd, size), 0);
  close(fd);
  return path;
}

CliResult Measured(const std::vector<std::string>& args) {
  RunOptions options;
  options.measureMemory = true;
  return RunQuintrel(args, options);
}

// The run of `args` with the least peak of `runs`: how far the reading
// thread runs ahead of the analytics thread, and so how many batches are
// held between them, depends on the machine's load.
CliResult LeastMeasured(const std::vector<std::string>& args, int runs) {
  CliResult least = Measured(args);
  for (int run = 1; run < runs; ++run) {
    CliResult next = Measured(args);
    if (next.peakKb < least.peakKb) least = std::move(next);
  }
  return least;
}

TEST(Reliability, MemoryFollowsWhatTheOutputHolds) {
  SKIP_UNDER_SANITIZERS();
  ScratchDir dir;
  const std::string longLine(32 << 20, 'x');
  const std::string longApi = WriteCall(dir, "b", "get,c," + longLine, "");
  const std::string longQuery = WriteCall(dir, "q", "query,c,select " + longLine, "");
  const struct {
    const char* what;
    std::string trace;
    const char* mode[2];
    long limitKb;  // 1.5 x what the output holds, plus 16 MB
  } kCases[] = {
      {"a long continuation line",
       WriteCall(dir, "a", "get,c,x", longLine + "\n"),
       {"-d", "CSV"},
       16 * kMb},
      {"a long API line", longApi, {"-d", "CSV"}, 64 * kMb},
      {"a long API line", longApi, {"-s", "TEXT"}, 64 * kMb},
      // The profile holds the text once, as the longest call.
      {"a long API line", longApi, {"-s", "JSON"}, 48 * kMb},
      // These show the beginning of a call's text: no more of it is read.
      {"a long API line", longApi, {"-s", "DIGEST"}, 16 * kMb},
      {"a long API line", longApi, {"-s", "DASHBOARD"}, 16 * kMb},
      {"a long query", longQuery, {"-s", "DIGEST"}, 16 * kMb},
      // A query of one long word: its class is read without a copy of it,
      // and the profile holds it once, as the longest call.
      {"a long query", longQuery, {"-d", "JSONL"}, 64 * kMb},
      {"a long query", longQuery, {"-s", "JSON"}, 48 * kMb},
      // Lines that begin like a header with a field no header has.
      {"a huge weekday", dir.write("w", "# [ 12 ] " + longLine + "\n"), {"-d", "CSV"}, 16 * kMb},
      {"a huge weekday", dir.write("w", "# [ 12 ] " + longLine + "\n"), {"-s", "JSON"}, 16 * kMb},
      {"a huge thread id",
       dir.write("d", "# [ " + std::string(32 << 20, '1') + "\n"),
       {"-s", "TEXT"},
       16 * kMb},
      {"zeros without line feed", WriteZeros(dir, off_t{1} << 30), {"-d", "CSV"}, 16 * kMb},
      {"zeros without line feed", WriteZeros(dir, off_t{1} << 30), {"-s", "TEXT"}, 16 * kMb},
      {"a random tail",
       WriteCall(dir, "c", "get,c,x", RandomBytes(32 << 20)),
       {"-d", "CSV"},
       32 * kMb},
      {"a random tail",
       WriteCall(dir, "c", "get,c,x", RandomBytes(32 << 20)),
       {"-s", "TEXT"},
       32 * kMb},
  };
  for (const auto& c : kCases) {
    const CliResult result = Measured({c.trace, "CONSOLE", c.mode[0], c.mode[1]});
    EXPECT_EQ(result.exitCode, 0) << c.what;
    EXPECT_GT(result.peakKb, 0) << c.what;
    EXPECT_LE(result.peakKb, c.limitKb) << c.what << " " << c.mode[1];
  }
}

// A query whose text goes on for `bytes` in continuation lines of `lineBytes`
// each (0: in one line), opened by getlastcoll, fetched from and closed.
std::string LongContinuedQuery(size_t bytes, size_t lineBytes) {
  if (lineBytes == 0) lineBytes = bytes;
  std::string list;
  while (list.size() < lineBytes) list += "'x', ";
  list.resize(lineBytes);
  std::string trace = Call("1", "get,s0,x") + Header("1") + "API> execquery,s0,F,select a from t\n";
  for (size_t written = 0; written < bytes; written += lineBytes)
    trace += "where b in (" + list + "\n";
  return trace + Header("1", true) + "Res: 'T'\n" + Call("1", "getlastcoll,s0") +
         Call("1", "next,s0,q0") + Call("1", "close,s0,q0");
}

TEST(Reliability, LongContinuationLinesCostWhatTheOutputHolds) {
  SKIP_UNDER_SANITIZERS();
  // The query's text in one line and in many, 16 MB and 48 MB of it: the
  // formats that print it whole may hold it once (it was held twice where
  // a getlastcoll opened it), the digest and the dashboard its first MiB,
  // JSON and a saved profile, which class it whole, its first MiB and what
  // classes the rest the same.
  const std::pair<const char*, const char*> kModes[] = {
      {"-s", "TEXT"},      {"-s", "HTML"},    {"-s", "XML"}, {"-s", "JSON"}, {"-s", "DIGEST"},
      {"-s", "DASHBOARD"}, {"-s", "PROFILE"}, {"-d", "CSV"}, {"-d", "RAW"},  {"-d", "JSONL"}};
  ScratchDir dir;
  for (size_t lineBytes : {size_t{0}, size_t{64} << 10}) {
    const std::string traces[2] = {dir.write("s", LongContinuedQuery(16 << 20, lineBytes)),
                                   dir.write("l", LongContinuedQuery(48 << 20, lineBytes))};
    for (const auto& [option, format] : kModes) {
      CliResult results[2];
      for (int i = 0; i < 2; ++i) {
        results[i] = Measured({traces[i], "CONSOLE", option, format});
        ASSERT_EQ(results[i].exitCode, 0) << format << ": " << results[i].err;
      }
      const long outKb = long(results[1].out.size() - results[0].out.size()) / 1024;
      EXPECT_LE(results[1].peakKb - results[0].peakKb, outKb * 3 / 2 + 2 * kMb)
          << format << " in lines of " << lineBytes << ": " << results[0].peakKb << " KB, then "
          << results[1].peakKb << " KB for " << outKb << " KB more output";
    }
  }
}

TEST(Reliability, ALongApiLineReadInPartIsStillFilteredAndCountedWhole) {
  // Past what the digest and the dashboard read of an API line: the text
  // filters still read it all, and the dashboard names its whole length.
  ScratchDir dir;
  const std::string trace =
      WriteCall(dir, "n", "get,c," + std::string(3 << 20, 'x') + ",needle", "");
  const CliResult dashboard = RunQuintrel({trace, "CONSOLE", "-s", "DASHBOARD"});
  EXPECT_EQ(dashboard.exitCode, 0) << dashboard.err;
  EXPECT_NE(dashboard.out.find("whole call (3,145,741 bytes, the first 2,000 shown)"),
            std::string::npos);
  for (const char* pattern : {"needle", "nothere"}) {
    const CliResult digest =
        RunQuintrel({trace, "CONSOLE", "-s", "DIGEST", std::string("--match=") + pattern});
    EXPECT_EQ(digest.exitCode, 0) << digest.err;
    const bool taken = digest.out.find(" 1 calls, 1 threads") != std::string::npos;
    EXPECT_EQ(taken, pattern == std::string("needle")) << digest.out.substr(0, 300);
  }
}

TEST(Reliability, ManyApiNamesAreNotHeldTwiceAtTheEnd) {
  SKIP_UNDER_SANITIZERS();
  // 100,000 distinct API names, each its own API and call class: the
  // classes are handed from the analytics to the report one at a time, not
  // held whole in two forms together (that took 156 MB, then about 110), are
  // kept compactly while gathered (then about 92), the memory of a table
  // goes back to the system as its rows are made (then about 68), and
  // neither the index that finds a class nor the summaries' own per-API rows
  // are held beside the rows (now about 62).
  ScratchDir dir;
  std::string trace;
  for (int i = 0; i < 100000; ++i) trace += Call("1", "api" + std::to_string(i) + ",c,x");
  const std::string path = dir.write("apis.trc", trace);
  for (const char* format : {"JSON", "DIGEST"}) {
    const CliResult result = Measured({path, "CONSOLE", "-s", format});
    EXPECT_EQ(result.exitCode, 0) << format;
    EXPECT_GT(result.peakKb, 0) << format;
    EXPECT_LE(result.peakKb, 104 * kMb) << format;
  }
}

TEST(Reliability, TheThreadListingHoldsNoLongRunOfDigits) {
  SKIP_UNDER_SANITIZERS();
  // Digits after a thread marker for 32 MB, without the " ]": past a
  // header's longest id they are no marker and are read past.
  ScratchDir dir;
  const std::string trace =
      dir.write("t.trc", "# [ " + std::string(32 << 20, '1') + "\n" + Call("5", "get,c,x"));
  RunOptions options;
  options.input = "*\n";
  options.measureMemory = true;
  const CliResult result = RunQuintrel({trace, "CONSOLE", "-l", "-d", "CSV"}, options);
  EXPECT_EQ(result.out, "5\n" + kPrompt + CsvRow("5", "get,c,x"));
  EXPECT_GT(result.peakKb, 0);
  EXPECT_LE(result.peakKb, 16 * kMb);
}

TEST(Reliability, ManyShortLinesCostTheirBytesOnly) {
  SKIP_UNDER_SANITIZERS();
  // Twice the empty continuation lines may cost their bytes once more, where
  // a string per line would cost some 65 bytes each.
  ScratchDir dir;
  for (const char* mode : {"TEXT", "RAW"}) {
    long peak[2];
    for (int i = 0; i < 2; ++i) {
      const std::string trace =
          WriteCall(dir, "t" + std::to_string(i), "query,c,x", std::string((8 << 20) << i, '\n'));
      const CliResult result = Measured({trace, "CONSOLE", mode[0] == 'T' ? "-s" : "-d", mode});
      ASSERT_EQ(result.exitCode, 0);
      EXPECT_GE(result.out.size(), size_t{8 << 20} << i);
      peak[i] = result.peakKb;
    }
    EXPECT_LE(peak[1] - peak[0], 14 * kMb) << mode;
  }
}

TEST(Reliability, RunningOutOfMemoryStillReports) {
  SKIP_UNDER_SANITIZERS();
  ScratchDir dir;
  std::string calls, lines;
  for (int i = 0; i < 1000; ++i) calls += Call("1", "get,c," + std::to_string(i));
  for (int i = 0; i < (64 << 10); ++i) lines += std::string(1023, 'q') + "\n";
  const std::string trace = dir.write("t.trc", calls + Header("1") + "API> query,c,x\n" + lines);
  RunOptions options;
  options.memoryLimit = 100 << 20;
  // The report of the calls read before, in the summary and the analytics
  // formats alike. JSON holds the query's first MiB and what keeps its
  // class, the digest its first MiB alone, unless a text filter reads all
  // of it.
  const struct {
    std::vector<std::string> mode;
    const char* figures;
  } kReports[] = {{{"-s", "TEXT"}, "\nget                     1000       2.000\n"},
                  {{"-s", "JSON", "--exclude=nothere"}, "\"calls\": 1000,"},
                  {{"-s", "DIGEST", "--exclude=nothere"}, " lines, 1000 calls, 1 threads, "}};
  for (const auto& [mode, figures] : kReports) {
    std::vector<std::string> args = {trace, "CONSOLE"};
    args.insert(args.end(), mode.begin(), mode.end());
    const CliResult result = RunQuintrel(args, options);
    EXPECT_EQ(result.exitCode, 3) << mode[1];
    std::smatch line;
    ASSERT_TRUE(
        std::regex_match(result.err, line,
                         std::regex("quintrel: out of memory at line ([0-9]+) of " + trace + "\n")))
        << result.err;
    EXPECT_GT(std::stol(line[1]), 2001);
    EXPECT_NE(result.out.find(figures), std::string::npos) << result.out.substr(0, 2000);
  }
}

TEST(Reliability, ThreadsWithNothingPendingCostNothing) {
  SKIP_UNDER_SANITIZERS();
  // Twice the threads, each with one call and one with a server round trip
  // alone, in a listing and in a report that holds neither.
  ScratchDir dir;
  std::string traces[2];
  for (int i = 0; i < 2; ++i) {
    std::string trace;
    for (int thread = 0; thread < (40000 << i); ++thread) {
      const std::string id = std::to_string(100000 + thread);
      trace += Call(id, "get,c,x") + Header(id + "0") + "Server RPC: Ping\n";
    }
    traces[i] = dir.write("t" + std::to_string(i), trace);
  }
  for (const std::vector<std::string>& mode :
       {std::vector<std::string>{"-d", "CSV"}, std::vector<std::string>{"-s", "TEXT"}}) {
    long peak[2];
    for (int i = 0; i < 2; ++i) {
      const CliResult result = Measured({traces[i], "CONSOLE", mode[0], mode[1]});
      ASSERT_EQ(result.exitCode, 0);
      peak[i] = result.peakKb;
    }
    // Some 300 bytes a thread would be 24 MB more.
    EXPECT_LE(peak[1] - peak[0], 4 * kMb) << mode[1];
  }
}

TEST(Reliability, TheJsonDocumentIsWrittenAsItIsMade) {
  SKIP_UNDER_SANITIZERS();
  // The same profile with lists of one item and of every item: the longer
  // document costs its writing, not its size.
  std::string trace;
  for (int i = 0; i < 30000; ++i) trace += Call(std::to_string(100000 + i), "get,c,x");
  ScratchDir dir;
  const std::string path = dir.write("t.trc", trace);
  const CliResult shortest = LeastMeasured({path, "CONSOLE", "-s", "JSON", "--top=1"}, 3);
  const CliResult longest = LeastMeasured({path, "CONSOLE", "-s", "JSON", "--top=100000000"}, 3);
  ASSERT_EQ(longest.exitCode, 0);
  ASSERT_GT(longest.out.size(), size_t{4} << 20);
  EXPECT_LE(longest.peakKb - shortest.peakKb, long(longest.out.size() / 1024 / 4))
      << shortest.peakKb << " KB for " << shortest.out.size() << " bytes, " << longest.peakKb
      << " KB for " << longest.out.size();
}

// How much more memory and output a summary of the trace `make(2 * n)` takes
// than one of `make(n)`.
struct Growth {
  long peakKb = 0;
  size_t outBytes = 0;
};
Growth GrowthOf(const std::function<std::string(int)>& make, int n, const char* format) {
  ScratchDir dir;
  CliResult results[2];
  for (int i = 0; i < 2; ++i) {
    results[i] =
        Measured({dir.write("t" + std::to_string(i), make(n << i)), "CONSOLE", "-s", format});
    EXPECT_EQ(results[i].exitCode, 0) << results[i].err;
  }
  return Growth{results[1].peakKb - results[0].peakKb,
                results[1].out.size() - results[0].out.size()};
}

TEST(Reliability, ClosedQueriesCostWhatTheReportPrints) {
  SKIP_UNDER_SANITIZERS();
  // Queries of one class, each on a collection of its own that is closed and
  // never opened again: some 330 bytes each if they stayed open to the end.
  const std::string query =
      "API> query,c,select r_object_id, object_name from dm_document where owner_name = user\n";
  auto trace = [&](int queries) {
    std::string text;
    for (int i = 0; i < queries; ++i) {
      const std::string collection = "q" + std::to_string(i);
      text += Header("1") + query + Header("1", true) + "Res: '" + collection + "'\n" +
              Call("1", "close,c," + collection);
    }
    return text;
  };
  const int kQueries = 40000;
  // The analytics keep nothing of a closed query of a class seen before;
  // the batches on their way to the analytics thread vary by some megabytes.
  EXPECT_LE(GrowthOf(trace, kQueries, "JSON").peakKb, 6 * kMb);
  const Growth text = GrowthOf(trace, kQueries, "TEXT");
  EXPECT_GE(text.outBytes, size_t{kQueries} * 80);
  EXPECT_LE(text.peakKb, long(text.outBytes * 3 / 2 / 1024)) << text.outBytes;
}

TEST(Reliability, TheApiTableCostsWhatItPrints) {
  SKIP_UNDER_SANITIZERS();
  auto trace = [](int names) {
    std::string text;
    for (int i = 0; i < names; ++i) text += Call("1", "api" + std::to_string(1000000 + i) + ",c,x");
    return text;
  };
  const Growth text = GrowthOf(trace, 200000, "TEXT");
  EXPECT_LE(text.peakKb, long(text.outBytes * 3 / 2 / 1024)) << text.outBytes;
}

TEST(Reliability, ManyThreadsCostWhatTheirRowsHold) {
  SKIP_UNDER_SANITIZERS();
  // A thread's row holds its id, counts and two stamps, some 210 bytes; the
  // analytics held each row three times over at the end (some 680 bytes a
  // thread), now once.
  auto trace = [](int threads) {
    std::string text;
    for (int i = 0; i < threads; ++i) text += Call(std::to_string(1000000 + i), "get,c,x");
    return text;
  };
  EXPECT_LE(GrowthOf(trace, 100000, "JSON").peakKb, 32 * kMb);
}

TEST(Reliability, ManyTimelineBucketsAreNotHeldTwice) {
  SKIP_UNDER_SANITIZERS();
  // A call every 5 s at --bucket=1: a bucket each. The buckets were held in
  // two maps at once at the end, and their figures beside both (some 470
  // bytes a bucket), then in one map while gathering (some 200 bytes a
  // bucket beside the figures); a bucket of one call is now a 24-byte slot
  // and its figures, under 140 bytes in all.
  auto trace = [](int calls) {
    std::string text;
    for (int i = 0; i < calls; ++i) {
      const int seconds = 5 * i;
      char stamp[64];
      std::snprintf(stamp, sizeof stamp, "Wed Jan %2d %02d:%02d:%02d 2003 1", 1 + seconds / 86400,
                    seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
      text += TraceHeader("1", "0.000", 1, stamp) + "API> get,c,x\n" +
              TraceHeader("1", "0.002", 2, stamp) + "Res: 'q0'\n";
    }
    return text;
  };
  ScratchDir dir;
  long peak[2];
  for (int i = 0; i < 2; ++i) {
    const std::string path = dir.write("t" + std::to_string(i), trace(50000 << i));
    const CliResult result = Measured({path, "CONSOLE", "-s", "JSON", "--bucket=1"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_GT(std::count(result.out.begin(), result.out.end(), '{'), 50000 << i);
    peak[i] = result.peakKb;
  }
  EXPECT_LE(peak[1] - peak[0], 7 * kMb) << peak[0] << " " << peak[1];
}

TEST(Reliability, AYearOfSecondsCostsItsFiguresAndSixteenMegabytes) {
  SKIP_UNDER_SANITIZERS();
  // A call every 100 s for a year at --bucket=1: 315,360 buckets, whose
  // figures (72 bytes each) are what the profile holds. Their slots, a third
  // of that, went only after the last figure was made.
  const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string trace;
  int buckets = 0;
  for (int month = 0; month < 12; ++month) {
    for (int day = 1; day <= kDays[month]; ++day) {
      for (int second = 0; second < 86400; second += 100, ++buckets) {
        char stamp[64];  // the weekday is not read
        std::snprintf(stamp, sizeof stamp, "Mon %s %2d %02d:%02d:%02d 2003 1", kMonths[month], day,
                      second / 3600, second / 60 % 60, second % 60);
        trace += TraceHeader("1", "0.000", 1, stamp) + "API> get,c,x\n" +
                 TraceHeader("1", "0.002", 2, stamp) + "Res: 'q0'\n";
      }
    }
  }
  ScratchDir dir;
  const CliResult result =
      Measured({dir.write("year.trc", trace), "/dev/null", "-s", "JSON", "--bucket=1"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_LE(result.peakKb, long(buckets) * 72 / 1024 + 16 * kMb) << buckets << " buckets";
}

TEST(Reliability, EveryFormatFitsTwiceItsResidentNeed) {
  SKIP_UNDER_SANITIZERS();
  // Calls of many threads, APIs and sessions, with queries opened, fetched
  // from and closed.
  std::string trace;
  for (int i = 0; i < 20000; ++i) {
    const std::string thread = std::to_string(1000 + i % 40);
    const std::string collection = "q" + std::to_string(i % 7);
    trace += Call(thread, "api" + std::to_string(i % 300) + ",c," + std::to_string(i)) +
             Header(thread) + "API> query,c,select a from t where id = " + std::to_string(i % 90) +
             "\n" + Header(thread, true) + "Res: '" + collection + "'\n" +
             Call(thread, "next,c," + collection) + Call(thread, "close,c," + collection);
  }
  ScratchDir dir;
  const std::string path = dir.write("t.trc", trace);
  const std::pair<const char*, const char*> kFormats[] = {
      {"-s", "TEXT"},      {"-s", "HTML"}, {"-s", "XML"}, {"-s", "JSON"}, {"-s", "DIGEST"},
      {"-s", "DASHBOARD"}, {"-d", "RAW"},  {"-d", "CSV"}, {"-d", "JSONL"}};
  for (const auto& [option, format] : kFormats) {
    const std::vector<std::string> args = {path, "CONSOLE", option, format};
    // The resident need is the largest of a few runs: how far the reading
    // thread runs ahead of the others, and with it the peak, moves with the
    // machine's load.
    CliResult measured = Measured(args);
    for (int run = 1; run < 3; ++run) {
      const CliResult again = Measured(args);
      measured.peakKb = std::max(measured.peakKb, again.peakKb);
    }
    ASSERT_EQ(measured.exitCode, 0) << format;
    RunOptions options;
    options.memoryLimit = 2 * measured.peakKb * 1024;
    // Once more where the load kept the reading thread further ahead than
    // in the runs measured.
    CliResult limited = RunQuintrel(args, options);
    if (limited.exitCode != 0) limited = RunQuintrel(args, options);
    EXPECT_EQ(limited.exitCode, 0) << format << " in " << measured.peakKb << " KB: " << limited.err;
    EXPECT_EQ(limited.out.size(), measured.out.size()) << format;
  }
}

TEST(Reliability, AddressSpaceFollowsTheMemoryInUse) {
  SKIP_UNDER_SANITIZERS();
  // The helper threads share one malloc arena and have small stacks, so
  // that the analytics of a small trace fit a small address space.
  const std::string sample = std::string(QUINTREL_SOURCE_DIR) + "/examples/sample.trc";
  RunOptions options;
  options.memoryLimit = 64 << 20;
  for (const char* format : {"TEXT", "JSON", "DIGEST", "DASHBOARD"}) {
    const CliResult result = RunQuintrel({sample, "CONSOLE", "-s", format}, options);
    EXPECT_EQ(result.exitCode, 0) << format << ": " << result.err;
    EXPECT_EQ(result.err, "") << format;
  }
}

TEST(Reliability, ClosedStandardStreamsAreNotTakenOver) {
  ScratchDir dir;
  const std::string report = dir.file("r.xml"), expected = dir.file("e.xml");
  ASSERT_EQ(RunQuintrel({Data("small.trc"), expected, "-s", "XML"}).exitCode, 0);
  RunOptions noStdout;
  noStdout.input = "*\n";
  noStdout.closeStdout = true;
  EXPECT_EQ(RunQuintrel({Data("small.trc"), report, "-l", "-s", "XML"}, noStdout).exitCode, 0);
  EXPECT_EQ(ReadFile(report), ReadFile(expected));
  RunOptions noStderr;
  noStderr.closeStderr = true;
  const std::string other = dir.file("o.xml");
  EXPECT_EQ(RunQuintrel({dir.file("missing.trc"), other, "-s", "XML"}, noStderr).exitCode, 3);
  EXPECT_NE(access(other.c_str(), F_OK), 0);
}

TEST(Reliability, OutputThatIsTheTraceIsRefused) {
  ScratchDir dir;
  const std::string trace = dir.write("t.trc", Call("1", "get,c,x"));
  RunOptions options;
  options.stdoutFile = trace;
  EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "RAW"}, options),
            (CliResult{2, "", "output is the trace file " + trace + "\n"}));
  EXPECT_EQ(ReadFile(trace), Call("1", "get,c,x"));
}

TEST(Reliability, ThreadPromptAndListingLimits) {
  ScratchDir dir;
  const std::string trace = dir.write("t.trc", Call("1", "get,c,x"));
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::vector<std::string> args;
    std::string answer;
    CliResult expected;
  } kCases[] = {
      {{trace, "CONSOLE", "-l", "-d", "CSV"},
       std::string(4097, '7'),
       {1, "1\n" + kPrompt, "invalid thread choice\n"}},
      {{trace, "CONSOLE", "-l", "-d", "CSV"},
       std::string(4096, '7') + "\n",
       {0, "1\n" + kPrompt, ""}},
      {{fifo, "CONSOLE", "-l", "-d", "CSV"},
       "*\n",
       {1, "", "cannot list the threads of " + fifo + ": not a regular file\n"}},
      {{"-", "CONSOLE", "-l", "-d", "CSV"},
       "*\n",
       {1, "", "cannot list the threads of -: standard input answers the prompt\n"}},
  };
  for (const auto& c : kCases) {
    RunOptions options;
    options.input = c.answer;
    EXPECT_EQ(RunQuintrel(c.args, options), c.expected) << c.args[0];
  }
}

TEST(Reliability, SlowNonBlockingReaderGetsEverything) {
  std::string trace;
  for (int i = 0; i < 5000; ++i) trace += Call("1", "get,c," + std::to_string(i));
  ScratchDir dir;
  const std::string path = dir.write("t.trc", trace);
  RunOptions options;
  options.slowPipeOutput = true;
  const CliResult expected = RunQuintrel({path, "CONSOLE", "-d", "CSV"});
  ASSERT_GT(expected.out.size(), size_t{1} << 18);
  EXPECT_EQ(RunQuintrel({path, "CONSOLE", "-d", "CSV"}, options), expected);
}

// Writes `trace` into the FIFO `fifo` from a child process, then runs
// `during` in the child and keeps the FIFO open `holdMicros` longer.
pid_t FeedFifo(const std::string& fifo, const std::string& trace, std::function<void()> during,
               useconds_t holdMicros) {
  pid_t writer = fork();
  if (writer != 0) return writer;
  signal(SIGPIPE, SIG_IGN);
  int fd = open(fifo.c_str(), O_WRONLY);
  size_t written = 0;
  while (written < trace.size()) {
    ssize_t n = write(fd, trace.data() + written, trace.size() - written);
    if (n <= 0) _exit(1);  // the reader went away
    written += n;
  }
  during();
  usleep(holdMicros);
  _exit(0);
}

TEST(Reliability, OutputAppearsOnlyWhenComplete) {
  ScratchDir dir;
  const std::string fifo = dir.file("fifo"), output = dir.file("out.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // A run killed while it reads leaves nothing under the name.
  pid_t writer = FeedFifo(
      fifo, Call("1", "get,c,x"), [] {}, 3000000);
  RunOptions killed;
  killed.timeLimit = 1;
  EXPECT_EQ(RunQuintrel({fifo, output, "-s", "TEXT"}, killed).exitCode, 128 + SIGALRM);
  EXPECT_NE(access(output.c_str(), F_OK), 0);
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
  // A name taken while the run reads is not overwritten.
  writer = FeedFifo(
      fifo, Call("1", "get,c,x"), [&] { ScratchDir::WriteFile(output, "precious\n"); }, 0);
  EXPECT_EQ(
      RunQuintrel({fifo, output, "-s", "TEXT"}),
      (CliResult{2, "File " + output + " already exists\nCannot overwrite existing file\n", ""}));
  EXPECT_EQ(ReadFile(output), "precious\n");
  waitpid(writer, nullptr, 0);
}

TEST(Reliability, FailedWriteStopsReading) {
  ScratchDir dir;
  const std::string fifo = dir.file("fifo"), output = dir.file("out.csv");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string trace;
  while (trace.size() < (64 << 20)) trace += Call("1", "get,c,x");
  pid_t writer = FeedFifo(
      fifo, trace, [] {}, 0);
  RunOptions limited;
  limited.fileSizeLimit = 1000;
  EXPECT_EQ(RunQuintrel({fifo, output, "-d", "CSV"}, limited),
            (CliResult{3, "", "cannot write output file " + output + ": File too large\n"}));
  int status = 0;
  waitpid(writer, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 1) << "the whole trace was read";
}

TEST(Reliability, ControlBytesAreEscapedOnATerminalOnly) {
  ScratchDir dir;
  // 0x9b alone is CSI to an 8-bit terminal; within UTF-8 it stays.
  const std::string api =
      "get,c,\x1b[31mred\x01\x7f\tend\x9b"
      "1m\xe2\x80\x9b";
  const std::string trace = dir.write("t.trc", Call("1", api));
  const std::string screen = dir.file("screen");
  const std::string command = "script -qec '" + std::string(QUINTREL_BINARY) + " " + trace +
                              " CONSOLE -d CSV' /dev/null > " + screen;
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_NE(ReadFile(screen).find("get,c,^[[31mred^A^?\tendM-^[1m\xe2\x80\x9b"), std::string::npos)
      << ReadFile(screen);
  EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "CSV"}).out, CsvRow("1", api));
}

TEST(Reliability, ARunGoesOnWithoutItsThreads) {
  SKIP_UNDER_SANITIZERS();  // the sanitizers' runtime must be loaded first
  const std::string sample = std::string(QUINTREL_SOURCE_DIR) + "/examples/sample.trc";
  const std::string warning =
      "quintrel: warning: cannot start a thread: Resource temporarily unavailable; going on "
      "without it\n";
  // The JSON report has a thread for its analytics besides the reading one.
  for (const auto& [format, threads] : {std::pair{"TEXT", 1}, std::pair{"JSON", 2}}) {
    const CliResult expected = RunQuintrel({sample, "CONSOLE", "-s", format});
    const CliResult alone = RunCommand({"env", "LD_PRELOAD=" QUINTREL_REFUSE_THREADS,
                                        QUINTREL_BINARY, sample, "CONSOLE", "-s", format});
    std::string warnings;
    for (int i = 0; i < threads; ++i) warnings += warning;
    EXPECT_EQ(alone, (CliResult{0, expected.out, warnings})) << format;
  }
}

}  // namespace
}  // namespace quintrel_test
