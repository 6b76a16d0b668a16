// The HTML summary report: a page with the banner, the start date and elapsed
// time, links to the sections, and four tables (the per-API summary, the ten
// most expensive calls, the twenty longest queries, every query). Trace texts
// are escaped.
#ifndef QUINTREL_REPORT_HTML_REPORT_H_
#define QUINTREL_REPORT_HTML_REPORT_H_

#include <ostream>

#include "analysis/profile.h"

namespace quintrel {

// Writes the page of `profile` to `out`.
void WriteHtmlReport(const Profile& profile, std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_HTML_REPORT_H_
