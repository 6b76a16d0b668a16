#include "report/report_writer.h"

#include "report/dashboard_report.h"
#include "report/digest_report.h"
#include "report/html_report.h"
#include "report/json_report.h"
#include "report/saved_profile_writer.h"
#include "report/text_report.h"
#include "report/xml_report.h"

namespace quintrel {

void WriteReport(ReportFormat format, const Profile& profile, const ReportContext& context,
                 std::ostream& out) {
  switch (format) {
    case ReportFormat::kText:
      WriteTextReport(profile, out);
      return;
    case ReportFormat::kHtml:
      WriteHtmlReport(profile, out);
      return;
    case ReportFormat::kXml:
      WriteXmlReport(profile, out);
      return;
    case ReportFormat::kJson:
      WriteJsonReport(profile, context, out);
      return;
    case ReportFormat::kDigest:
      WriteDigestReport(profile, context, out);
      return;
    case ReportFormat::kDashboard:
      WriteDashboardReport(profile, context, out);
      return;
    case ReportFormat::kProfile:
      WriteSavedProfile(*profile.mergeable, out);
      return;
  }
}

}  // namespace quintrel
