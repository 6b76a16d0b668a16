// The dashboard: one self-contained HTML page with charts of where the time
// of a trace went.
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
