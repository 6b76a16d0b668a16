// The choice of a summary report and the one call that writes it.
#ifndef QUINTREL_REPORT_REPORT_WRITER_H_
#define QUINTREL_REPORT_REPORT_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/profile.h"

namespace quintrel {

enum class ReportFormat { kText, kHtml, kXml, kJson, kDigest, kDashboard, kProfile };

// Whether the report shows the analytics (classes, threads, timeline)
// rather than every query.
inline bool ShowsAnalytics(ReportFormat format) {
  return format == ReportFormat::kJson || format == ReportFormat::kDigest ||
         format == ReportFormat::kDashboard || format == ReportFormat::kProfile;
}

// Entries per list of the analytics reports unless --top says otherwise.
constexpr size_t kDefaultTop = 50;

// What a report says of the run beyond the profile.
struct ReportContext {
  std::string traceName;
  uint64_t traceBytes = 0;  // as read from the file
  std::string options;      // the command line's options, as typed
  // The options in force that narrow the calls covered, as named on the
  // command line ("-r", "--threads=ID,ID").
  std::vector<std::string> filters;
  size_t top = kDefaultTop;  // entries per list of the analytics reports
  size_t width = 120;        // columns of the terminal the digest is for
};

// Writes the report of `profile` in `format` to `out`. The saved profile
// (kProfile) is profile.mergeable's, which must be set.
void WriteReport(ReportFormat format, const Profile& profile, const ReportContext& context,
                 std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_REPORT_WRITER_H_
