// The frame of the dashboard page: the head with its style sheet and content
// security policy, the sections' wrappers, and the end with the script that
// sorts the tables. Everything here is fixed text; only the page title comes
// from the trace.
#ifndef QUINTREL_REPORT_DASHBOARD_PAGE_H_
#define QUINTREL_REPORT_DASHBOARD_PAGE_H_

#include <ostream>
#include <string_view>

namespace quintrel {

// Writes everything up to and including <body>; `title` is escaped.
void WriteDashboardHead(std::ostream& out, std::string_view title);
// Writes the script and the end of the page.
void WriteDashboardEnd(std::ostream& out);
// A <section> with the anchor `id` and the heading `heading`, and its end.
void WriteSectionStart(std::ostream& out, const char* id, const char* heading);
void WriteSectionEnd(std::ostream& out);

// The page's only script, and its SHA-256 in base64, which the content
// security policy names as the one script that may run.
extern const char kDashboardScript[];
extern const char kDashboardScriptHash[];

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DASHBOARD_PAGE_H_
