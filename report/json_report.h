// The JSON report: the profile's analytics as one UTF-8 JSON document of the
// "quintrel-profile" format, version 1 (docs/quintrel-profile.schema.json).
// Every list is {"total": N, "items": [...]} with at most `top` items; the
// timeline is never cut. Bytes of the trace that are not valid UTF-8 become
// U+FFFD.
#ifndef QUINTREL_REPORT_JSON_REPORT_H_
#define QUINTREL_REPORT_JSON_REPORT_H_

#include <ostream>

#include "analysis/profile.h"
#include "report/report_writer.h"

namespace quintrel {

// Writes the document of `profile`, which must carry its analytics, to `out`.
void WriteJsonReport(const Profile& profile, const ReportContext& context, std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_JSON_REPORT_H_
