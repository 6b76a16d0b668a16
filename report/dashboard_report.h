// The dashboard: one self-contained HTML page with charts of where the time
// of a trace went: the headline figures, the timeline, the top APIs, the
// latency histogram, the query and call classes, the slowest calls and the
// busiest threads. It loads nothing; a script sorts the tables, and the page
// reads the same without it. At most about 1 MB for any trace.
#ifndef QUINTREL_REPORT_DASHBOARD_REPORT_H_
#define QUINTREL_REPORT_DASHBOARD_REPORT_H_

#include <ostream>

#include "analysis/profile.h"
#include "report/report_writer.h"

namespace quintrel {

// Writes the page of `profile`, which must carry its analytics, to `out`.
void WriteDashboardReport(const Profile& profile, const ReportContext& context, std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DASHBOARD_REPORT_H_
