#include "report/xml_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace quintrel {
namespace {

void AddQuery(Profile* profile, QueryApi api, const std::string& text, double ms, int32_t rows) {
  QueryRecord record;
  record.api = api;
  record.queryText.assign(text);
  record.durationMs = ms;
  record.rowCount = rows;
  profile->queries.onQueryRecord(&record);
}

Profile SampleProfile() {
  Profile profile;
  profile.topCalls = {{TextBuffer("get,c,<a>"), 1000},
                      {TextBuffer("next,c,q0"), 1234},
                      {TextBuffer("save,c,&"), 1234}};
  profile.apiSummary = {{1, 1000, "get"}, {2, 2468, "next"}, {3, 2468, "save"}};
  AddQuery(&profile, QueryApi::kQuery, "select \"x\"\nfrom y where a < 'b'", 36, 4);
  AddQuery(&profile, QueryApi::kExecQuery, "bad \x01 byte \xff", 1234567, -1);
  profile.startTimestamp = "Wed Aug  6 14:03:22 2003 412345";
  profile.endTimestamp = "Wed Aug  6 14:05:01 2003 100000";
  profile.timeSplit = {98688, TimeSplitError::kNone};
  profile.totalCallMillis = 3000000000;
  return profile;
}

TEST(XmlReportTest, WritesEverySectionFromTheModel) {
  const std::string kReplacement = "\xEF\xBF\xBD";
  const std::pair<Profile, std::string> kCases[] = {
      {Profile(),
       "<?xml version='1.0' encoding='utf-8'?>\n<summary>\n<top_api_calls>\n</top_api_calls>\n"
       "<api_call_summary>\n</api_call_summary>\n<query_summary>\n</query_summary>\n"
       "<time_split>\n<start_time></start_time>\n<total_trace_duration>0</total_trace_duration>\n"
       "<dmcl_call_duration>0</dmcl_call_duration>\n</time_split>\n</summary>\n"},
      {SampleProfile(),
       "<?xml version='1.0' encoding='utf-8'?>\n<summary>\n<top_api_calls>\n"
       "<top_call><duration>1.234</duration><api_call>save,c,&amp;</api_call></top_call>\n"
       "<top_call><duration>1.234</duration><api_call>next,c,q0</api_call></top_call>\n"
       "<top_call><duration>1</duration><api_call>get,c,&lt;a&gt;</api_call></top_call>\n"
       "</top_api_calls>\n<api_call_summary>\n"
       "<summary_call><summary_call_api>save</summary_call_api><summary_call_freq>3"
       "</summary_call_freq><summary_call_duration>2.468</summary_call_duration></summary_call>\n"
       "<summary_call><summary_call_api>next</summary_call_api><summary_call_freq>2"
       "</summary_call_freq><summary_call_duration>2.468</summary_call_duration></summary_call>\n"
       "<summary_call><summary_call_api>get</summary_call_api><summary_call_freq>1"
       "</summary_call_freq><summary_call_duration>1</summary_call_duration></summary_call>\n"
       "</api_call_summary>\n<query_summary>\n"
       "<query><query_duration>0.036</query_duration><num_rows>4</num_rows><query_text>"
       "select \"x\"\nfrom y where a &lt; 'b'</query_text></query>\n"
       "<query><query_duration>1234.57</query_duration><num_rows>-1</num_rows><query_text>bad " +
           kReplacement + " byte " + kReplacement +
           "</query_text></query>\n"
           "</query_summary>\n<time_split>\n<start_time>Wed Aug  6 14:03:22 2003 412345"
           "</start_time>\n<total_trace_duration>98.688</total_trace_duration>\n"
           "<dmcl_call_duration>3e+06</dmcl_call_duration>\n</time_split>\n</summary>\n"},
  };
  for (const auto& [profile, expected] : kCases) {
    std::ostringstream out;
    WriteXmlReport(profile, out);
    EXPECT_EQ(out.str(), expected);
  }
}

}  // namespace
}  // namespace quintrel
