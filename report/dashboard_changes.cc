#include "report/dashboard_changes.h"

#include <string>

#include "analysis/class_id.h"
#include "report/dashboard_page.h"
#include "report/dashboard_table.h"
#include "report/markup_escape.h"
#include "report/report_format.h"

namespace quintrel {

namespace {

const size_t kChangesBudget = 100 << 10;
const size_t kNameBytes = 200;

}  // namespace

void WriteChangesSection(const ProfileComparison& comparison, size_t top, std::ostream& out) {
  WriteSectionStart(out, "changes", "Changes against the base");
  out << "<p class=\"note\">Base: ";
  WriteHtmlTextCut(out, comparison.baseName, kNameBytes);
  out << ". Its totals are scaled by " << Fixed(comparison.scale, 3) << " (elapsed "
      << FixedSeconds(double(comparison.elapsedMs)) << " s against "
      << FixedSeconds(double(comparison.baseElapsedMs)) << " s); " << comparison.newClasses
      << " new, " << comparison.goneClasses << " gone.</p>\n";
  DashboardTable table({{"change s", true},
                        {"base total s", true},
                        {"total s", true},
                        {"base calls", true},
                        {"calls", true},
                        {"base p95 ms", true},
                        {"p95 ms", true},
                        {"p95 ratio", false},
                        {"kind", false},
                        {"class", false}},
                       kChangesBudget);
  for (size_t i = 0; i < comparison.classes.size() && i < top; ++i) {
    const ComparedClass& entry = comparison.classes[i];
    table.seconds(int64_t(entry.changeMs));
    table.seconds(entry.base.totalMs);
    table.seconds(entry.current.totalMs);
    table.count(entry.base.count);
    table.count(entry.current.count);
    table.count(entry.base.p95Ms);
    table.count(entry.current.p95Ms);
    table.label(P95RatioText(entry), 8);
    table.label(KindName(entry.kind), 8);
    if (entry.kind == ComparedKind::kApi) {
      table.text(entry.name, kNameBytes);
    } else {
      table.textWithDetail(ClassId(ClassKindOf(entry.kind), entry.name), kClassIdDigits, entry.name,
                           "");
    }
    if (!table.endRow()) break;
  }
  if (table.rows() > 0) table.write(out);
  WriteSectionEnd(out);
}

}  // namespace quintrel
