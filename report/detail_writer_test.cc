#include "report/detail_writer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/trace_lines.h"

namespace quintrel {
namespace {

TEST(DetailWriterTest, WritesOneRecordPerCall) {
  const std::string kFields = "\"3412\",\"Wed Aug  6 14:03:22 2003 412345\",";
  struct Case {
    ListingFormat format;
    std::string apiText;
    int32_t apiRpc, resultRpc;
    std::string expected;
  } cases[] = {
      {ListingFormat::kCsv, "get,s0,x", 118, 119, kFields + "\"1\",\"15\",\"get,s0,x\",\n"},
      {ListingFormat::kCsv, "\"", 118, 119, kFields + "\"1\",\"15\",\"\"\"\",\n"},
      {ListingFormat::kCsv, "a\"b,\n", 120, 118, kFields + "\"-2\",\"15\",\"a\"\"b,\n\",\n"},
      {ListingFormat::kCsv, "x", 5, 5, kFields + "\"0\",\"15\",\"x\",\n"},
      {ListingFormat::kRaw, "x", 5, 6,
       "# [ 3412 ] Wed Aug  6 14:03:22 2003 412345 ( 0.000 sec) ( 1 rpc) API> x\n  more\n"
       "# [ 3412 ] Wed Aug  6 14:03:22 2003 412345 ( 0.001 sec) ( 1 rpc) Res: 'q0'\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.apiText);
    std::ostringstream listing;
    DetailWriter writer(c.format, &listing);
    TraceCall call =
        quintrel_test::CallFromFields(c.apiText + "|15|q0'|  more", "3412", c.apiRpc, c.resultRpc);
    writer.onCall(&call);
    EXPECT_EQ(listing.str(), c.expected);
  }
}

}  // namespace
}  // namespace quintrel
