// Black-box tests of the dashboard page: the pages of the sample, an empty and
// a hostile trace read back by Python's HTML parser, and rendered by headless
// Chromium, which must show the charts, run the page's one script, and find
// nothing that the trace put into the page as markup.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

const char kSections[] =
    "summary,timeline,latency-over-time,apis,latency,queries,calls,slowest,threads,who";
const std::string kHostileTexts[] = {
    "<script>alert(1)</script>",
    "\"><img src=x onerror=alert(1)>",
    "'quoted' \"double\" &amp; </pre></td></table>",
    std::string("\x01\x02\x1b\x7f nul\0 \xc2\x85", 11),
    "\xff\xfe \xc3\x28 \xed\xa0\x80 \xf4\x90\x80\x80",
};

std::string SourceDir() { return QUINTREL_SOURCE_DIR; }

// A trace whose texts hold markup, quotes, control bytes and invalid UTF-8,
// in API names, calls and queries, and with 100,000 distinct APIs and call
// classes.
std::string HostileTrace() {
  std::string trace;
  for (const std::string& text : kHostileTexts) {
    trace += Header("9") + "API> query,c,select " + text + "\nmore " + text + "\n" +
             Header("9", true) + "Res: 'q" + text + "'\n";
    trace += Call("9", text + "," + text);
    // The slowest calls, cut in their table, where they carry a title.
    trace += ApiLine("8", "get," + text + std::string(200, 'x')) + "\n" +
             ResultLine("8", "T'", "0.500") + "\n";
  }
  for (int i = 0; i < 100000; ++i) trace += Call(std::to_string(i % 7), "api" + std::to_string(i));
  return trace;
}

// The pages the tests look at, by name: the sample's, an empty trace's and
// the hostile trace's, written into `dir`. The hostile trace's file name is
// hostile too.
std::map<std::string, std::string> WritePages(const ScratchDir& dir) {
  const std::map<std::string, std::string> traces = {
      {"sample", SourceDir() + "/examples/sample.trc"},
      {"empty", Data("empty.trc")},
      {"hostile", dir.write("\"><img src=x onerror=alert(1)>.trc", HostileTrace())},
  };
  std::map<std::string, std::string> pages;
  for (const auto& [name, trace] : traces) {
    pages[name] = dir.file(name + ".html");
    EXPECT_EQ(RunQuintrel({trace, pages[name], "-s", "DASHBOARD"}), (CliResult{0, "", ""})) << name;
  }
  return pages;
}

// What tests/support/dashboard_check.py says of the page at `path`, by key.
std::map<std::string, std::string> Check(const std::string& path) {
  ScratchDir dir;
  const std::string report = dir.file("check");
  const std::string command = "python3 '" + SourceDir() + "/tests/support/dashboard_check.py' '" +
                              path + "' > '" + report + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << path;
  std::map<std::string, std::string> facts;
  std::istringstream lines(ReadFile(report));
  for (std::string word; lines >> word;) {
    size_t equals = word.find('=');
    if (equals != std::string::npos) facts[word.substr(0, equals)] = word.substr(equals + 1);
  }
  return facts;
}

// The checks every page passes, as written or as rendered.
void ExpectOnlyQuintrelsMarkup(const std::string& path, const std::string& name) {
  std::map<std::string, std::string> facts = Check(path);
  EXPECT_EQ(facts["sections"], kSections) << name;
  EXPECT_GE(std::atoi(facts["svg"].c_str()), 2) << name;  // the timeline and the histogram
  EXPECT_EQ(facts["script"], "1") << name;
  EXPECT_EQ(facts["unexpected"], "none") << name;
  EXPECT_EQ(facts["external"], "0") << name;
}

TEST(DashboardPage, HoldsOnlyTheMarkupQuintrelWrites) {
  ScratchDir dir;
  for (const auto& [name, page] : WritePages(dir)) {
    ExpectOnlyQuintrelsMarkup(page, name);
    EXPECT_EQ(Check(page)["ran"], "no") << name;  // no browser ran the script
  }
}

TEST(DashboardPage, HostileTraceIsShownAsTextWithinOneMegabyte) {
  ScratchDir dir;
  const std::string page = ReadFile(WritePages(dir)["hostile"]);
  EXPECT_LT(page.size(), 1000000u);
  for (const char* part : {
           "&lt;script&gt;alert(1)&lt;/script&gt;",
           "\"&gt;&lt;img src=x onerror=alert(1)&gt;",
           "title=\"get,&#39;quoted&#39; &quot;double&quot; &amp;amp; &lt;/pre&gt;",
           "<title>quintrel dashboard: ",
           "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd nul\xef\xbf\xbd \xef\xbf\xbd",
           // query, get, five hostile names and 100,000 others
           "The first 50 of 100,007 APIs; 99,957 left out (at most --top=50 a list).",
           // five query, five hostile and five get calls, and 100,000 others
           "The first 50 of 100,015 call classes; 99,965 left out",
       }) {
    EXPECT_NE(page.find(part), std::string::npos) << "not found: " << part;
  }
  EXPECT_EQ(page.find("\x01"), std::string::npos);
  EXPECT_EQ(page.find("\xff"), std::string::npos);
}

TEST(DashboardPage, StaysUnderOneMegabyteWhateverTheTop) {
  ScratchDir dir;
  const std::string page = dir.file("page.html");
  ASSERT_EQ(
      RunQuintrel({dir.write("t.trc", HostileTrace()), page, "-s", "DASHBOARD", "--top=999999999"}),
      (CliResult{0, "", ""}));
  const std::string text = ReadFile(page);
  EXPECT_LT(text.size(), 1000000u);
  EXPECT_NE(text.find("left out to keep the page under 1 MB."), std::string::npos);
  ExpectOnlyQuintrelsMarkup(page, "largest top");
}

// Headless Chromium, started so that it reaches nothing outside this
// machine: every host name resolves to nothing.
const char kChromium[] =
    "timeout 20 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
    "--disable-background-networking --disable-component-update --disable-sync "
    "'--host-resolver-rules=MAP * ~NOTFOUND'";

// Renders the page at `path` and writes its DOM to `dom`, with `options`
// added; the exit code of the run (124 when it took too long).
int Render(const std::string& path, const std::string& dom, const std::string& options = "") {
  ScratchDir profile;
  const std::string command = std::string(kChromium) + " --user-data-dir='" + profile.path() +
                              "' --dump-dom " + options + " 'file://" + path + "' > '" + dom +
                              "' 2> '" + profile.file("stderr") + "'";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveChromium() { return std::system("command -v chromium > /dev/null") == 0; }

const char kNoChromium[] =
    "chromium is not installed: scripts/setup.sh installs it (apt-get install chromium)";

TEST(DashboardBrowser, RendersEachPageWithItsChartsAndNothingInjected) {
  ASSERT_TRUE(HaveChromium()) << kNoChromium;
  ScratchDir dir;
  for (const auto& [name, page] : WritePages(dir)) {
    const std::string dom = dir.file(name + ".dom"), png = dir.file(name + ".png");
    const std::string screenshot =
        name == "sample" ? "--screenshot='" + png + "' --window-size=1280,2000" : "";
    ASSERT_EQ(Render(page, dom, screenshot), 0) << name << " (124: not rendered within 20 s)";
    ExpectOnlyQuintrelsMarkup(dom, name);
    EXPECT_EQ(Check(dom)["ran"], "yes") << name;  // the policy let the script run
    if (name == "sample") {
      const std::string image = ReadFile(png);
      EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1a\n");
      EXPECT_GT(image.size(), 20000u);
    }
  }
}

// Notes every figure of the first screen whose text is wider than its box.
const char kClipCheck[] =
    "<script>var clipped = [];"
    "document.querySelectorAll('.card b, .card span, dl dd, nav a').forEach(function (e) {"
    "  if (e.scrollWidth > e.clientWidth + 1) clipped.push(e.textContent.length); });"
    "document.body.id = 'clipped-' + (clipped.length ? clipped.join('-') : 'none');</script>";

// The width of a PNG image, from its header.
uint32_t PngWidth(const std::string& image) {
  if (image.size() < 24) return 0;
  uint32_t width = 0;
  for (size_t i = 16; i < 20; ++i) width = width << 8 | static_cast<unsigned char>(image[i]);
  return width;
}

// The page without its policy, so that a test's own script can run in it.
std::string WithoutPolicy(std::string page) {
  size_t policy = page.find("<meta http-equiv=\"Content-Security-Policy\"");
  if (policy != std::string::npos) page.erase(policy, page.find('>', policy) + 1 - policy);
  return page;
}

TEST(DashboardBrowser, FirstScreenFitsAPhoneAndADesktop) {
  ASSERT_TRUE(HaveChromium()) << kNoChromium;
  ScratchDir dir;
  std::string page = WithoutPolicy(ReadFile(WritePages(dir)["sample"]));
  page.insert(page.rfind("</body>"), kClipCheck);
  const std::string path = dir.write("checked.html", page);
  for (uint32_t width : {1280u, 390u}) {
    SCOPED_TRACE(width);
    const std::string dom = dir.file("checked.dom"), png = dir.file("screen.png");
    const std::string size = std::to_string(width) + ",900";
    ASSERT_EQ(Render(path, dom, "--screenshot='" + png + "' --window-size=" + size), 0);
    EXPECT_NE(ReadFile(dom).find("<body id=\"clipped-none\">"), std::string::npos);
    EXPECT_EQ(PngWidth(ReadFile(png)), width);
  }
}

// Clicks headings of the APIs table and notes the first API each time.
const char kClicks[] =
    "<script>var heads = document.querySelectorAll('#apis th'), order = [];"
    "function first() { order.push(document.querySelector('#apis tbody td').textContent); }"
    "heads[2].click(); first(); heads[2].click(); first(); heads[0].click(); first();"
    "heads[0].click(); first(); document.body.id = 'sorted-' + order.join('-');</script>";

TEST(DashboardBrowser, HeadingsSortTheirTables) {
  ASSERT_TRUE(HaveChromium()) << kNoChromium;
  ScratchDir dir;
  std::string page = ReadFile(WritePages(dir)["sample"]);
  // The policy lets only the page's own script run: the test's clicks need
  // it gone.
  ASSERT_NE(page.find("<meta http-equiv=\"Content-Security-Policy\""), std::string::npos);
  page = WithoutPolicy(page);
  page.insert(page.rfind("</body>"), kClicks);
  const std::string dom = dir.file("clicked.dom");
  ASSERT_EQ(Render(dir.write("clicked.html", page), dom), 0);
  // By calls, most first (numerically: 70 before 9), then fewest (ties keep
  // their order); by name, A to Z, then Z to A.
  EXPECT_NE(ReadFile(dom).find("<body id=\"sorted-get-getfile-apply-setfile\">"),
            std::string::npos);
}

}  // namespace
}  // namespace quintrel_test
