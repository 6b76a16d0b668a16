// The choice of a summary report and the one call that writes it.
#ifndef QUINTREL_REPORT_REPORT_WRITER_H_
#define QUINTREL_REPORT_REPORT_WRITER_H_

#include <ostream>

#include "analysis/profile.h"

namespace quintrel {

enum class ReportFormat { kText, kHtml, kXml };

// Writes the report of `profile` in `format` to `out`.
void WriteReport(ReportFormat format, const Profile& profile, std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_REPORT_WRITER_H_
