#include "report/dashboard_report.h"

namespace quintrel {

void WriteDashboardReport(const Profile&, const ReportContext&, std::ostream& out) {
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>quintrel</title>"
         "</head><body></body></html>\n";
}

}  // namespace quintrel
