#include "report/report_writer.h"

#include "report/html_report.h"
#include "report/text_report.h"
#include "report/xml_report.h"

namespace quintrel {

void WriteReport(ReportFormat format, const Profile& profile, std::ostream& out) {
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
  }
}

}  // namespace quintrel
