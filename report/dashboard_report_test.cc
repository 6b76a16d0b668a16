#include "report/dashboard_report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "report/dashboard_page.h"
#include "report/markup_escape.h"
#include "report/version.h"
#include "tests/support/scratch_dir.h"

namespace quintrel {
namespace {

const std::string kScript = "<script>alert(1)</script>";
const std::string kBreakOut = "\"><img src=x onerror=alert(1)>";

ClassRow Row(const std::string& name, int64_t count, int64_t totalMs, int64_t maxMs) {
  ClassRow row;
  row.name = name;
  row.stats = {count, totalMs, double(totalMs) / double(count), maxMs, maxMs, maxMs, maxMs};
  row.example = {name + " example", maxMs, "7", "Wed Aug  6 14:03:22 2003 1"};
  return row;
}

// A profile of `n` APIs, query classes, call classes, threads and top calls,
// the first the largest, over a timeline of three one-second buckets.
Profile Sample(int n) {
  Profile profile;
  profile.startTimestamp = "Wed Aug  6 14:03:20 2003 118000";
  profile.endTimestamp = "Wed Aug  6 14:05:13 2003 556641";
  profile.timeSplit = {113438, TimeSplitError::kNone};
  profile.totalCallMillis = 12085;
  ProfileAnalytics& analytics = profile.analytics;
  for (int i = n; i >= 1; --i) {
    std::string id = std::to_string(i);
    analytics.apis.push_back(Row("api" + id, i, 100 * i, 10 * i));
    analytics.queryClasses.push_back(Row("select q" + id, i, 90 * i, 9 * i));
    analytics.callClasses.push_back(Row("call" + id + ",?", i, 80 * i, 8 * i));
    analytics.threads.push_back({"thread" + id, i, 70 * i, "first" + id, "last" + id});
    profile.topCalls.insert(profile.topCalls.begin(), {TextBuffer("top" + id), 60.0 * i});
  }
  analytics.bucketSeconds = 1;
  analytics.timeline = {
      {1060178600, 4, 300, 2, 200}, {1060178601, 0, 0, 0, 0}, {1060178602, 9, 2480, 3, 2480}};
  analytics.latency = {{0, 1, 95}, {1, 2, 9}, {2, 5, 0}};
  analytics.calls = 165;
  analytics.queries = 10;
  analytics.elapsedMs = 113438;
  profile.hasAnalytics = true;
  return profile;
}

std::string Page(const Profile& profile, const ReportContext& context = {}) {
  std::ostringstream out;
  WriteDashboardReport(profile, context, out);
  return out.str();
}

// The markup of the section `id` of `page` ("" without one).
std::string Section(const std::string& page, const std::string& id) {
  size_t start = page.find("<section id=\"" + id + "\">");
  if (start == std::string::npos) return "";
  return page.substr(start, page.find("</section>", start) - start);
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(DashboardReportTest, WritesEverySectionInOrderWithTheModelsFigures) {
  ReportContext context;
  context.traceName = "examples/sample.trc";
  context.traceBytes = 36140;
  context.options = "-s DASHBOARD";
  const std::string page = Page(Sample(3), context);
  size_t last = 0;
  for (const char* id : {"summary", "timeline", "latency-over-time", "apis", "latency", "queries",
                         "calls", "slowest", "threads"}) {
    size_t at = page.find(std::string("<section id=\"") + id + "\">");
    ASSERT_NE(at, std::string::npos) << id;
    EXPECT_GT(at, last) << id;
    last = at;
  }
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">", 0), 0u);
  EXPECT_EQ(page.substr(page.size() - 15), "</body></html>\n");
  const std::string summary = Section(page, "summary");
  for (const char* figure :
       {"<b title=\"113.438 s\">1 min 53 s</b><span>elapsed",
        "<b title=\"12.085 s\">12.1 s</b><span>DMCL time", "<b>0.11</b><span>concurrency",
        "<b>165</b><span>calls", "<b>3</b><span>threads", "<b>10</b><span>queries",
        "<dt>filters</dt><dd>none</dd>", "<dt>top query class</dt><dd><code>",
        " % of DMCL time: select q", "<dt>top call class</dt><dd><code>"}) {
    EXPECT_NE(summary.find(figure), std::string::npos) << figure;
  }
  EXPECT_NE(
      Section(page, "apis").find("<td class=\"text\">api3</td><td class=\"num\" data-v=\"300\">"),
      std::string::npos);
  EXPECT_NE(Section(page, "queries").find("<pre>select q3 example</pre>"), std::string::npos);
  EXPECT_NE(Section(page, "slowest").find("<td class=\"num\" data-v=\"180\">180</td>"),
            std::string::npos);
  EXPECT_LT(page.find(">top3<"), page.find(">top1<"));  // largest first
  // Three charts, a bar per API and thread.
  EXPECT_EQ(Count(page, "<svg"), 3u + 3 + 3);
  EXPECT_NE(page.find("<footer>Trace examples/sample.trc, 35.3 KB (36,140 bytes). quintrel " +
                      std::string(VERSION) + ", options: -s DASHBOARD.</footer>"),
            std::string::npos);
}

TEST(DashboardReportTest, ShowsTheFiltersInForce) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "none"},
      {{"-r"}, "<code>-r</code>"},
      {{"-r", "--threads=236,91"}, "<code>-r</code>, <code>--threads=236,91</code>"},
      {{"--threads=<b>&"}, "<code>--threads=&lt;b&gt;&amp;</code>"},
  };
  for (const auto& [filters, shown] : cases) {
    ReportContext context;
    context.filters = filters;
    EXPECT_NE(Page(Sample(1), context).find("<dt>filters</dt><dd>" + shown + "</dd>"),
              std::string::npos)
        << shown;
  }
}

TEST(DashboardReportTest, APartialProfileSaysSo) {
  Profile profile = Sample(1);
  const std::string fact = "<dt>partial</dt><dd>out of memory: ";
  EXPECT_EQ(Page(profile, ReportContext()).find(fact), std::string::npos);
  profile.analytics.partial = true;
  EXPECT_NE(Page(profile, ReportContext()).find(fact), std::string::npos);
}

TEST(DashboardReportTest, ListsStopAtTopAndSayHowManyAreLeftOut) {
  const struct {
    size_t top;
    const char* apis;
    const char* slowest;
  } cases[] = {
      {50, "All 4 APIs.", "The 4 longest calls of 165 calls."},
      {4, "All 4 APIs.", "The 4 longest calls of 165 calls."},
      {3, "The first 3 of 4 APIs; 1 left out (at most --top=3 a list).",
       "The first 3 of 4 slowest calls; 1 left out (at most --top=3 a list)."},
      {1, "The first 1 of 4 APIs; 3 left out (at most --top=1 a list).",
       "The first 1 of 4 slowest calls; 3 left out (at most --top=1 a list)."},
  };
  for (const auto& c : cases) {
    ReportContext context;
    context.top = c.top;
    const std::string page = Page(Sample(4), context);
    size_t rows = std::min<size_t>(c.top, 4);
    for (const char* id : {"apis", "queries", "calls", "slowest", "threads"}) {
      EXPECT_EQ(Count(Section(page, id), "<tr>"), rows + 1) << id << " " << c.top;  // and headings
    }
    EXPECT_NE(Section(page, "apis").find(c.apis), std::string::npos) << c.top;
    EXPECT_NE(Section(page, "slowest").find(c.slowest), std::string::npos) << c.top;
  }
  EXPECT_NE(Page(Profile()).find("<p class=\"note\">No query classes.</p>"), std::string::npos);
}

TEST(DashboardReportTest, HostileTextsAreEscapedWhereverTheyStand) {
  Profile profile = Sample(1);
  const std::string hostile = kScript + kBreakOut + "'&";
  const std::string escaped =
      "&lt;script&gt;alert(1)&lt;/script&gt;\"&gt;&lt;img src=x "
      "onerror=alert(1)&gt;'&amp;";
  const std::string inAttribute =
      "&lt;script&gt;alert(1)&lt;/script&gt;&quot;&gt;&lt;img src=x "
      "onerror=alert(1)&gt;&#39;&amp;";
  profile.analytics.apis[0].name = hostile;
  profile.analytics.queryClasses[0].name = hostile + std::string(300, 'x');  // cut: a title
  profile.analytics.queryClasses[0].example.text = "</pre>" + hostile;
  profile.analytics.threads[0].id = hostile;
  profile.topCalls[0].timeStamp = hostile;
  ReportContext context;
  context.traceName = "</title>" + hostile;
  context.options = "--threads=" + kScript + " " + hostile;
  context.filters = {"--threads=" + kScript};
  const std::string page = Page(profile, context);
  const std::pair<const char*, std::string> expected[] = {
      {"page title", "<title>quintrel dashboard: &lt;/title&gt;" + escaped + "</title>"},
      {"element text", "<td class=\"text\">" + escaped + "</td>"},
      {"SVG title", "<title>" + escaped + ": 0.100 s, 0.8 % of DMCL time</title>"},
      {"thread bar's SVG title", "<title>" + escaped + ": 0.070 s, 0.1 % of elapsed time</title>"},
      {"attribute", "<td class=\"text\" title=\"" + inAttribute + "xxx"},
      {"example", "<pre>&lt;/pre&gt;" + escaped + "</pre>"},
      {"label", "<td class=\"label\">" + escaped + "</td>"},
      {"filter", "<code>--threads=&lt;script&gt;alert(1)&lt;/script&gt;</code>"},
      {"footer",
       "options: --threads=&lt;script&gt;alert(1)&lt;/script&gt; " + escaped + ".</footer>"},
  };
  for (const auto& [where, markup] : expected) {
    EXPECT_NE(page.find(markup), std::string::npos) << where;
  }
  EXPECT_EQ(Count(page, "<script"), 1u);
  EXPECT_EQ(Count(page, "<img"), 0u);
  EXPECT_EQ(Count(page, "</pre>"), 2u);  // the examples of the query and the call class
  // The page's, the two bars', the timeline's two bars with calls and the
  // p95 chart's two, the histogram's three.
  EXPECT_EQ(Count(page, "<title>"), 1u + 2 + 2 + 2 + 3);
}

TEST(DashboardReportTest, InvalidUtf8AndControlBytesBecomeReplacementCharacters) {
  Profile profile = Sample(1);
  const std::string bytes(
      "a\xff"
      "b\x01"
      "c\x7f"
      "d\xc3"
      "e\0f\xed\xa0\x80"
      "g\xc3\xa9",
      18);
  profile.analytics.apis[0].name = bytes;
  profile.analytics.callClasses[0].example.text = bytes;
  profile.analytics.threads[0].first = bytes;
  const std::string page = Page(profile);
  const std::string replaced = "a\uFFFDb\uFFFDc\uFFFDd\uFFFDe\uFFFDf\uFFFD\uFFFD\uFFFDg\u00e9";
  EXPECT_EQ(Count(page, replaced), 4u);  // the API's cell and bar, the example, the stamp
  EXPECT_EQ(ReplaceNonHtmlBytes(page), page);
}

TEST(DashboardReportTest, StaysUnderOneMegabyteForAnyProfile) {
  // Everything at its largest: texts that escaping makes five times as
  // long, lists far longer than any page could hold, and the most buckets.
  const std::string text(2000, '&'), fingerprint(2048, '"');
  Profile profile = Sample(1);
  ProfileAnalytics& analytics = profile.analytics;
  for (int i = 0; i < 20000; ++i) {
    ClassRow row = Row(text + std::to_string(i), 1, 1, 1);
    row.name = fingerprint;
    row.example.text = text;
    row.example.thread = row.example.start = text;
    analytics.apis.push_back(row);
    analytics.queryClasses.push_back(row);
    analytics.callClasses.push_back(row);
    analytics.threads.push_back({text, 1, 1, text, text});
  }
  profile.topCalls.assign(10, {TextBuffer(std::string(1 << 20, '<')), 1, text, text});
  analytics.timeline.clear();
  for (int64_t i = 0; i < int64_t(kMaxFilledBuckets); ++i) {
    analytics.timeline.push_back({i, 999999999, 999999999999, 99999, 999999999});
  }
  for (int i = 0; i < 60; ++i) analytics.latency.push_back({i, i + 1, 999999999999});
  ReportContext context;
  context.top = 1000000000;
  context.traceName = context.options = text;
  const std::string page = Page(profile, context);
  EXPECT_LT(page.size(), 1000000u);
  for (const char* id : {"apis", "queries", "calls", "slowest", "threads"}) {
    EXPECT_NE(Section(page, id).find("left out to keep the page under 1 MB."), std::string::npos)
        << id;
  }
}

TEST(DashboardReportTest, TimelineMergesBucketsAndMarksTheBusiest) {
  Profile profile = Sample(1);
  std::vector<TimelineBucket>& timeline = profile.analytics.timeline;
  timeline.clear();
  for (int64_t i = 0; i < 10000; ++i) timeline.push_back({1060178600 + i, 1, i == 4321, 1, 1});
  const std::string section = Section(Page(profile), "timeline");
  EXPECT_EQ(Count(section, "<g><title>"), 10000u / 17 + 1);  // 17 buckets a bar
  EXPECT_NE(section.find("10,000 buckets of 1 s, merged into 589 bars of 17 s to keep the chart "
                         "small."),
            std::string::npos);
  EXPECT_EQ(Count(section, "class=\"peak\""), 2u);  // the bar and its marker
  EXPECT_NE(section.find("<g><title>2003-08-06T15:15:18 (17 s): 17 calls, 1 ms DMCL, 1 thread at "
                         "most in one 1 s bucket, longest 1 ms</title>"),
            std::string::npos);
  EXPECT_NE(section.find("Busiest: 2003-08-06T15:15:18 to 2003-08-06T15:15:35"), std::string::npos);
}

TEST(DashboardReportTest, LatencyOverTimeShowsEachBucketsPercentiles) {
  Profile profile = Sample(1);
  std::vector<TimelineBucket>& timeline = profile.analytics.timeline;
  timeline.clear();
  profile.analytics.bucketSeconds = 60;
  //                start       calls dmcl thr max  mean  p50 p95  p99
  timeline.push_back({1060178400, 4, 1000, 1, 900, 250.0, 30, 900, 900});
  timeline.push_back({1060178460, 0, 0, 0, 0});
  timeline.push_back({1060178520, 2, 60, 1, 40, 30.0, 20, 40, 40});
  const std::string section = Section(Page(profile), "latency-over-time");
  for (const char* part :
       {"p95 of the calls (highest 900 ms)", ">0 ms</text>", ">450 ms</text>", ">900 ms</text>",
        "<title>2003-08-06T14:00:00 (1 min): p95 900 ms, longest 900 ms, 4 calls</title>",
        "<title>2003-08-06T14:02:00 (1 min): p95 40 ms, longest 40 ms, 2 calls</title>",
        "All 2 buckets with calls."}) {
    EXPECT_NE(section.find(part), std::string::npos) << part << "\nin\n" << section;
  }
  EXPECT_EQ(Count(section, "class=\"p95\""), 2u);
  EXPECT_EQ(Count(section, "<tr>"), 3u);  // the heading and the two buckets with calls
  // The timeline above it: its y-axis, and its last bar marked partial, as
  // the trace ends within it.
  profile.endTimestamp = "Wed Aug  6 14:02:10 2003 5";
  const std::string timelineSection = Section(Page(profile), "timeline");
  for (const char* part :
       {">1.0 s</text>", ">0</text>", ">4 calls</text>", "4 calls, 1,000 ms DMCL",
        "longest 40 ms, partial: the trace ends at 2003-08-06T14:02:11</title>",
        "The last bar is partial: the trace ends at 2003-08-06T14:02:11."}) {
    EXPECT_NE(timelineSection.find(part), std::string::npos) << part << "\nin\n" << timelineSection;
  }
  profile.endTimestamp = "Wed Aug  6 14:02:59 2003 5";
  EXPECT_EQ(Section(Page(profile), "timeline").find("partial"), std::string::npos);
}

TEST(DashboardReportTest, AnEmptyProfileStillHasEverySection) {
  Profile profile;
  profile.timeSplit.error = TimeSplitError::kNoStartTime;
  profile.analytics.latency = {{0, 1, 0}};
  profile.hasAnalytics = true;
  const std::string page = Page(profile);
  for (const char* part :
       {"<b>\u2013</b><span>elapsed", "<dt>elapsed</dt><dd>can't construct start time</dd>",
        "No call with a dated time stamp", "No calls</text>", "<p class=\"note\">No APIs.</p>",
        "No query classes.", "No call classes.", "No slowest calls.", "No threads."}) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(Count(page, "<svg"), 2u);
  EXPECT_EQ(Count(page, "<table"), 0u);
}

TEST(DashboardReportTest, ThePolicyNamesTheHashOfTheScript) {
  quintrel_test::ScratchDir dir;
  const std::string script = dir.write("script.js", kDashboardScript);
  const std::string hash = dir.file("hash");
  const std::string command =
      "python3 -c \"import base64, hashlib, sys; print(base64.b64encode("
      "hashlib.sha256(open(sys.argv[1], 'rb').read()).digest()).decode(), "
      "end='')\" '" +
      script + "' > '" + hash + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(quintrel_test::ReadFile(hash), kDashboardScriptHash);
  EXPECT_NE(Page(Profile()).find("script-src 'sha256-" + std::string(kDashboardScriptHash) + "'"),
            std::string::npos);
}

}  // namespace
}  // namespace quintrel
