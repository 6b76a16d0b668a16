#include "analysis/profile_comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>

namespace quintrel {

namespace {

void AddRows(const std::vector<ClassRow>& base, const std::vector<ClassRow>& current,
             ComparedKind kind, double scale, ProfileComparison* comparison) {
  std::map<std::string, ComparedClass> matched;
  for (const ClassRow& row : base) {
    ComparedClass& entry = matched[row.name];
    entry.inBase = true;
    entry.base = row.stats;
  }
  for (const ClassRow& row : current) {
    ComparedClass& entry = matched[row.name];
    entry.inCurrent = true;
    entry.current = row.stats;
  }
  for (auto& [name, entry] : matched) {
    entry.kind = kind;
    entry.name = name;
    entry.changeMs = double(entry.current.totalMs) - double(entry.base.totalMs) * scale;
    if (entry.inBase && entry.inCurrent && entry.base.p95Ms > 0) {
      entry.p95Ratio = double(entry.current.p95Ms) / double(entry.base.p95Ms);
    }
    comparison->newClasses += !entry.inBase;
    comparison->goneClasses += !entry.inCurrent;
    comparison->classes.push_back(std::move(entry));
  }
}

}  // namespace

const char* KindName(ComparedKind kind) {
  switch (kind) {
    case ComparedKind::kApi:
      return "api";
    case ComparedKind::kQuery:
      return "query";
    case ComparedKind::kCall:
      return "call";
  }
  return "";
}

const char* PresenceName(const ComparedClass& entry) {
  return !entry.inBase ? "new" : (!entry.inCurrent ? "gone" : "both");
}

std::string P95RatioText(const ComparedClass& entry) {
  if (entry.p95Ratio <= 0) return entry.inBase && entry.inCurrent ? "-" : PresenceName(entry);
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", entry.p95Ratio);
  return text;
}

ProfileComparison CompareProfiles(const ProfileAnalytics& base, const ProfileAnalytics& current) {
  ProfileComparison comparison;
  comparison.baseElapsedMs = base.elapsedMs;
  comparison.elapsedMs = current.elapsedMs;
  if (base.elapsedMs > 0 && current.elapsedMs > 0) {
    comparison.scale = double(current.elapsedMs) / double(base.elapsedMs);
  }
  double scale = comparison.scale;
  AddRows(base.apis, current.apis, ComparedKind::kApi, scale, &comparison);
  AddRows(base.queryClasses, current.queryClasses, ComparedKind::kQuery, scale, &comparison);
  AddRows(base.callClasses, current.callClasses, ComparedKind::kCall, scale, &comparison);
  std::stable_sort(comparison.classes.begin(), comparison.classes.end(),
                   [](const ComparedClass& a, const ComparedClass& b) {
                     return std::make_tuple(-std::fabs(a.changeMs), a.kind) <
                            std::make_tuple(-std::fabs(b.changeMs), b.kind);
                   });
  return comparison;
}

}  // namespace quintrel
