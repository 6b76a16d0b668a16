#include "report/digest_report.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/class_id.h"
#include "report/text_table.h"
namespace quintrel {
namespace {

// The sparkline of a digest whose timeline holds `buckets` of a minute.
std::string Sparkline(const std::vector<TimelineBucket>& buckets, size_t width) {
  Profile profile;
  profile.analytics.bucketSeconds = 60;
  profile.analytics.timeline = buckets;
  ReportContext context;
  context.width = width;
  std::ostringstream out;
  WriteDigestReport(profile, context, out);
  std::string text = out.str();
  size_t start = text.find("\ntimeline     ") + 14;
  return text.substr(start, text.find('\n', start) - start);
}

// `count` buckets of a minute with 1 ms each, the first with 2.
std::vector<TimelineBucket> Minutes(int64_t count) {
  std::vector<TimelineBucket> buckets;
  for (int64_t i = 0; i < count; ++i) buckets.push_back({60 * i, 1, i == 0 ? 2 : 1, 1, 1});
  return buckets;
}

std::string Repeat(const std::string& text, size_t times) {
  std::string repeated;
  for (size_t i = 0; i < times; ++i) repeated += text;
  return repeated;
}

TEST(DigestReportTest, SparklineShowsTimeInEqualStretches) {
  const int64_t kHuge = std::numeric_limits<int64_t>::max();
  const struct {
    std::vector<TimelineBucket> buckets;
    size_t width;
    std::string line;
  } cases[] = {
      {{{0, 1, 800, 1, 1}, {60, 1, 400, 1, 1}, {120, 1, 1, 1, 1}, {180, 1, 0, 1, 0}}, 26, "█▄▁ "},
      // Gaps between kept buckets are stretches without calls.
      {{{0, 1, 8, 1, 1}, {240, 1, 8, 1, 1}}, 26, "█   █"},
      // Two buckets a column once they outnumber the columns (44 on the
      // narrowest terminal the digest assumes).
      {Minutes(88), 20, "█" + Repeat("▆", 43)},
      // Times near the largest number neither overflow nor vanish.
      {{{0, 1, kHuge, 1, 1}, {60, 1, kHuge / 2, 1, 1}, {120, 1, 1, 1, 1}}, 26, "█▄▁"},
  };
  for (const auto& c : cases) EXPECT_EQ(Sparkline(c.buckets, c.width), c.line) << c.line;
}

// The digest of query classes with these fingerprints, at `width` columns.
std::string DigestOfClasses(const std::vector<std::string>& fingerprints, size_t width) {
  Profile profile;
  for (size_t i = 0; i < fingerprints.size(); ++i) {
    ClassRow row;
    row.name = fingerprints[i];
    row.stats.count = int64_t(100 - i);
    profile.analytics.queryClasses.push_back(row);
  }
  ReportContext context;
  context.width = width;
  std::ostringstream out;
  WriteDigestReport(profile, context, out);
  return out.str();
}

TEST(DigestReportTest, ClassesReadableAtAnyWidth) {
  const std::string kLong = "select a, b, c from some_table where " + Repeat("x = ? and ", 40);
  const struct {
    std::vector<std::string> fingerprints;
    size_t width;
    std::vector<std::string> shown;  // lines the digest must hold, whole
  } cases[] = {
      // The id and the figures on one line, the fingerprint on the next.
      {{"select ? from t"},
       80,
       {"  " + ClassId(ClassKind::kQuery, "select ? from t") +
            "      100    0.000      0.0      0.0       0       0        0",
        "      select ? from t"}},
      // Wrapped after a blank, cut with "..." after two lines.
      {{kLong},
       80,
       {"      select a, b, c from some_table where x = ? and x = ? and x = ? and x = ?",
        "      and x = ? and x = ? and x = ? and x = ? and x = ? and x = ? and x = ? a..."}},
      // Two classes that differ late: the second line shows where.
      {{kLong + "1", kLong + "2"},
       80,
       {"      ...? and x = ? and x = ? and x = ? and 1",
        "      ...? and x = ? and x = ? and x = ? and 2"}},
  };
  for (const auto& c : cases) {
    const std::string digest = DigestOfClasses(c.fingerprints, c.width);
    for (const std::string& line : c.shown) {
      EXPECT_NE(digest.find("\n" + line + "\n"), std::string::npos) << line << "\nin\n" << digest;
    }
  }
}

TEST(DigestReportTest, StaysWithinTheWidthAndOneHundredLines) {
  std::vector<std::string> fingerprints;
  for (int i = 0; i < 30; ++i) {
    fingerprints.push_back("select " + Repeat("column_" + std::to_string(i % 3) + ", ", 30) +
                           std::to_string(i));
  }
  for (size_t width : {80, 120, 200}) {
    const std::string digest = DigestOfClasses(fingerprints, width);
    std::istringstream lines(digest);
    size_t count = 0;
    size_t start = digest.find("query classes (");
    ASSERT_NE(start, std::string::npos);
    std::istringstream classes(digest.substr(start, digest.find("call classes (") - start));
    for (std::string line; std::getline(classes, line);)
      EXPECT_LE(DisplayWidth(line), width) << line;
    for (std::string line; std::getline(lines, line);) ++count;
    EXPECT_LE(count, 100u) << width;
  }
}

TEST(DigestReportTest, EveryLineIsCutToTheWidth) {
  // Texts of the trace no width was made for: a thread id, stamps, the
  // trace's name and a filter, each longer than any line.
  const std::string kHuge(5000, 't');
  Profile profile;
  profile.startTimestamp = kHuge;
  profile.analytics.threads.push_back(ThreadRow{kHuge, 1, 1, kHuge, kHuge});
  profile.analytics.bucketSeconds = 60;
  profile.analytics.timeline = Minutes(3);
  profile.analytics.partial = true;
  ReportContext context;
  context.traceName = kHuge;
  context.filters = {"--threads=" + kHuge};
  for (size_t width : {60, 80, 200}) {
    context.width = width;
    std::ostringstream out;
    WriteDigestReport(profile, context, out);
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
      EXPECT_LE(DisplayWidth(line), width) << line.substr(0, 100);
    }
    EXPECT_NE(out.str().find("\n  partial      out of memory"), std::string::npos);
  }
}

TEST(DigestReportTest, SlowestCallIsShownWholeOrCutWithDots) {
  // Texts of any length, however many bytes a column takes: a call that
  // fits is shown whole, a longer one is cut and ends in "...".
  const struct {
    std::string call;
    bool cut;
  } cases[] = {
      {"get,c,short", false},
      {Repeat("x", 300000), true},
      {Repeat("\xc3\xa9", 300000), true},
      {"get," + Repeat("\x80", 5000) + "y", false},
      {"get," + Repeat("\x80", 5000) + Repeat("y", 300000), true},
  };
  for (const auto& c : cases) {
    Profile profile;
    profile.topCalls.push_back({TextBuffer(c.call), 5});
    ReportContext context;
    context.width = 80;
    std::ostringstream out;
    WriteDigestReport(profile, context, out);
    std::string text = out.str();
    size_t row = text.find('\n', text.find("\n  ms  thread  start  call") + 1);
    ASSERT_NE(row, std::string::npos) << text.substr(0, 2000);
    std::string line = text.substr(row + 1, text.find('\n', row + 1) - row - 1);
    EXPECT_LE(DisplayWidth(line), 80u);
    EXPECT_EQ(line.size() >= 3 && line.compare(line.size() - 3, 3, "...") == 0, c.cut)
        << c.call.substr(0, 20);
  }
}

TEST(DigestReportTest, RecordsTheRunsFiltersAndTop) {
  const struct {
    std::vector<std::string> filters;
    size_t top, width;
    std::string line;
  } cases[] = {
      {{}, 50, 120, "  filters      none   top 50"},
      {{"-r", "--since=14:00", "-l (thread 7)"},
       3,
       120,
       "  filters      -r, --since=14:00, -l (thread 7)   top 3"},
      {{"--threads=" + Repeat("12,", 40) + "1"},
       50,
       60,
       "  filters      --threads=12,12,12,12,12,12,12,12,12,12,12..."},
  };
  for (const auto& c : cases) {
    ReportContext context;
    context.filters = c.filters;
    context.top = c.top;
    context.width = c.width;
    std::ostringstream out;
    WriteDigestReport(Profile(), context, out);
    EXPECT_NE(out.str().find("\n" + c.line + "\n"), std::string::npos) << out.str();
  }
}

TEST(DigestReportTest, SlowestCallsAreCountedAmongAllCalls) {
  Profile profile;
  for (int i = 1; i <= 12; ++i) profile.topCalls.push_back({TextBuffer("get,c,x"), double(i)});
  profile.analytics.calls = 4000;
  std::ostringstream out;
  WriteDigestReport(profile, ReportContext(), out);
  EXPECT_NE(out.str().find("\nslowest calls (5 of 4000, 3995 more not shown)\n"), std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace quintrel
