#include "report/dashboard_page.h"

#include "report/markup_escape.h"

namespace quintrel {

namespace {

const char kStyle[] = R"css(
:root{--fg:#1f2937;--muted:#6b7280;--line:#e5e7eb;--bg:#f5f6f8;--card:#fff;--accent:#2563eb;
--calls:#94a3b8;--peak:#ea580c;--p95:#7c3aed;--code:#f3f4f6}
*{box-sizing:border-box}
body{margin:0;background:var(--bg);color:var(--fg);
font:15px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,"Noto Sans",
"Liberation Sans",sans-serif}
header,main,footer{max-width:1240px;margin:0 auto;padding:0 20px}
header{padding-top:22px}
h1{font-size:22px;margin:0}
h1 span{color:var(--muted);font-weight:400}
nav{margin:8px 0 4px}
nav a{color:var(--accent);text-decoration:none;margin-right:16px;font-size:14px;white-space:nowrap}
nav a:hover{text-decoration:underline}
section{background:var(--card);border:1px solid var(--line);border-radius:10px;
padding:16px 20px;margin:14px 0}
h2{font-size:17px;margin:0 0 10px}
.note{color:var(--muted);font-size:13px;margin:8px 0 0}
.cards{display:grid;grid-template-columns:repeat(auto-fill,minmax(160px,1fr));gap:12px}
.card{border:1px solid var(--line);border-radius:8px;padding:10px 14px}
.card b{display:block;font-size:22px;font-weight:600;font-variant-numeric:tabular-nums}
.card span{color:var(--muted);font-size:12.5px}
dl.facts{display:grid;grid-template-columns:max-content 1fr;gap:4px 16px;margin:14px 0 0;
font-size:14px}
dl.facts dt{color:var(--muted)}
dl.facts dd{margin:0;overflow-wrap:anywhere}
.scroll{overflow-x:auto}
table{border-collapse:collapse;width:100%;font-size:13.5px}
th,td{padding:5px 8px;border-bottom:1px solid var(--line);text-align:left;vertical-align:top}
th{font-size:12px;font-weight:600;color:var(--muted);white-space:nowrap;
border-bottom:2px solid var(--line)}
tbody tr:hover{background:#f9fafb}
.num{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
td.text,td.label{font-family:ui-monospace,"SFMono-Regular",Menlo,Consolas,"DejaVu Sans Mono",
monospace;font-size:12.5px}
td.text{overflow-wrap:anywhere;min-width:16em}
td.label{white-space:nowrap}
svg.bar{display:inline-block;width:140px;height:10px;margin:0 10px 0 0;vertical-align:-1px}
svg.bar rect{fill:var(--accent)}
.js th{cursor:pointer;user-select:none}
.js th:hover{color:var(--fg)}
th[aria-sort=descending]::after{content:" \25BC"}
th[aria-sort=ascending]::after{content:" \25B2"}
details summary{cursor:pointer;color:var(--accent);font-family:system-ui,sans-serif;
font-size:12px;margin-top:2px}
pre{white-space:pre-wrap;overflow-wrap:anywhere;background:var(--code);padding:8px 10px;
border-radius:6px;margin:6px 0 2px;font-size:12px}
.chart{overflow-x:auto}
.chart svg{display:block;width:100%;min-width:640px;height:auto}
.chart .dmcl{fill:var(--accent)}
.chart .calls{fill:var(--calls)}
.chart .peak{fill:var(--peak)}
.chart .p95{fill:var(--p95)}
.chart .axis{stroke:var(--line);stroke-width:1}
.chart text{font-size:12px;fill:var(--muted)}
.chart text.strong{fill:var(--peak);font-weight:600}
.chart .hit{fill:transparent}
.chart g:hover .hit{fill:#2563eb14}
.key{display:inline-block;width:11px;height:11px;border-radius:2px;margin:0 5px 0 14px;
vertical-align:-1px}
.key.dmcl{background:var(--accent);margin-left:0}
.key.calls{background:var(--calls)}
.key.peak{background:var(--peak)}
.key.p95{background:var(--p95);margin-left:0}
footer{color:var(--muted);font-size:12.5px;padding-top:4px;padding-bottom:32px;
overflow-wrap:anywhere}
@media (max-width:640px){body{font-size:14px}header,main,footer{padding:0 10px}
header{padding-top:14px}section{padding:12px;border-radius:8px}.card b{font-size:19px}
.cards{grid-template-columns:repeat(2,1fr);gap:8px}
svg.bar{width:60px}}
@media print{body{background:#fff;font-size:11pt}nav{display:none}
header,main,footer{max-width:none;padding:0}
section{border:0;padding:0;margin:0 0 18px;break-inside:avoid-page}
.scroll,.chart{overflow:visible}.chart svg{min-width:0}
tbody tr:hover{background:none}th[aria-sort]::after{content:""}}
)css";

}  // namespace

const char kDashboardScript[] = R"js(
(function () {
  document.documentElement.classList.add('js');
  function key(row, column, numeric) {
    var cell = row.cells[column];
    if (!cell) return numeric ? 0 : '';
    return numeric ? Number(cell.getAttribute('data-v')) : cell.textContent.toLowerCase();
  }
  function sort(th) {
    var body = th.closest('table').tBodies[0], column = th.cellIndex;
    var numeric = th.classList.contains('num'), now = th.getAttribute('aria-sort');
    var down = now ? now === 'ascending' : numeric;
    th.parentNode.querySelectorAll('th').forEach(function (h) { h.removeAttribute('aria-sort'); });
    th.setAttribute('aria-sort', down ? 'descending' : 'ascending');
    var rows = Array.prototype.slice.call(body.rows);
    rows.sort(function (a, b) {
      var x = key(a, column, numeric), y = key(b, column, numeric);
      return (x < y ? -1 : x > y ? 1 : 0) * (down ? -1 : 1);
    });
    rows.forEach(function (row) { body.appendChild(row); });
  }
  document.querySelectorAll('table.sortable th').forEach(function (th) {
    th.tabIndex = 0;
    th.addEventListener('click', function () { sort(th); });
    th.addEventListener('keydown', function (e) {
      if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); sort(th); }
    });
  });
})();
)js";

const char kDashboardScriptHash[] = "OKYJDo4lM/TAfNFhSNNPVCC77wnhxL7E+4pses0oygI=";

void WriteDashboardHead(std::ostream& out, std::string_view title) {
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
         "style-src 'unsafe-inline'; script-src 'sha256-"
      << kDashboardScriptHash << "'; base-uri 'none'; form-action 'none'\">\n<title>";
  WriteHtmlText(out, title);
  out << "</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n";
}

void WriteDashboardEnd(std::ostream& out) {
  out << "<script>" << kDashboardScript << "</script>\n</body></html>\n";
}

void WriteSectionStart(std::ostream& out, const char* id, const char* heading) {
  out << "<section id=\"" << id << "\"><h2>" << heading << "</h2>\n";
}

void WriteSectionEnd(std::ostream& out) { out << "</section>\n"; }

}  // namespace quintrel
