#include "report/digest_report.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

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
