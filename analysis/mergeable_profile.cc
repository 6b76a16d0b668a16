#include "analysis/mergeable_profile.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <numeric>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>

#include "analysis/class_table.h"
#include "analysis/saturating_add.h"
#include "analysis/thread_table.h"
#include "analysis/time_split.h"
#include "analysis/timeline.h"
#include "analysis/top_list.h"

namespace quintrel {

namespace {

using Classes = std::map<std::string, MergeableClass>;

// Both are sorted by name: when `from` is not much smaller, walking `into`
// alongside finds each class's place with a comparison or two instead of a
// search.
void MergeClasses(const Classes& from, Classes* into) {
  const bool walk = from.size() * 8 >= into->size();
  auto at = into->begin();
  for (const auto& [name, entry] : from) {
    if (walk) {
      while (at != into->end() && at->first < name) ++at;
    } else {
      at = into->lower_bound(name);
    }
    if (at == into->end() || at->first != name) at = into->emplace_hint(at, name, MergeableClass());
    MergeableClass& target = at->second;
    target.durations.merge(entry.durations);
    SaturatingAdd(&target.fetches, entry.fetches);
    // The worst member, the earlier one among equals, as one table keeps it.
    if (entry.example.ms > target.example.ms) target.example = entry.example;
  }
}

std::vector<ClassRow> Ranked(const Classes& classes) {
  std::vector<ClassRow> rows;
  rows.reserve(classes.size());
  for (const auto& [name, entry] : classes) {
    rows.push_back(ClassRow{name, entry.durations.stats(), entry.fetches, entry.example});
  }
  RankRows(&rows);
  return rows;
}

// As Ranked, leaving `classes` empty: each class's histogram is released as
// soon as its row is made.
std::vector<ClassRow> TakeRanked(Classes* classes) {
  std::vector<ClassRow> rows;
  rows.reserve(classes->size());
  while (!classes->empty()) {
    auto node = classes->extract(classes->begin());
    MergeableClass& entry = node.mapped();
    rows.push_back(ClassRow{std::move(node.key()), entry.durations.stats(), entry.fetches,
                            std::move(entry.example)});
  }
  RankRows(&rows);
  return rows;
}

// The durations of every class of `classes` in one histogram.
DurationHistogram Merged(const Classes& classes) {
  DurationHistogram merged;
  for (const auto& [name, entry] : classes) merged.merge(entry.durations);
  return merged;
}

// How many durations the classes of `classes` count, all together.
int64_t Count(const Classes& classes) {
  int64_t count = 0;
  for (const auto& [name, entry] : classes) count += entry.durations.count();
  return count;
}

bool Ascending(const std::vector<TopCallEntry>& calls) {
  return std::is_sorted(calls.begin(), calls.end(),
                        [](const auto& a, const auto& b) { return a.durationMs < b.durationMs; });
}

// The `limit` longest calls of `ours` followed by `theirs`, as a TopList fed
// them in that order keeps them. Lists in ascending order, as profiles hold
// them, are merged from their ends in one pass, copying only the calls of
// `theirs` that stay (a merge of many profiles keeps few of each);
// `ours` is taken.
std::vector<TopCallEntry> MergedTopCalls(std::vector<TopCallEntry>* ours,
                                         const std::vector<TopCallEntry>& theirs, size_t limit) {
  if (!Ascending(*ours) || !Ascending(theirs)) {
    TopList<TopCallEntry> top(limit);
    for (TopCallEntry& entry : *ours) top.add(std::move(entry));
    for (const TopCallEntry& entry : theirs) {
      if (top.keeps(entry.durationMs)) top.add(entry);
    }
    return top.take();
  }
  size_t mine = ours->size(), other = theirs.size();
  std::vector<TopCallEntry> merged;
  merged.reserve(std::min(limit, mine + other));
  // From the longest down; of equal durations, the later fed stays longer.
  while (merged.size() < limit && mine + other > 0) {
    if (other > 0 && (mine == 0 || theirs[other - 1].durationMs >= (*ours)[mine - 1].durationMs)) {
      merged.push_back(theirs[--other]);
    } else {
      merged.push_back(std::move((*ours)[--mine]));
    }
  }
  std::reverse(merged.begin(), merged.end());
  return merged;
}

// Whether the stamp `later` lies after `earlier`, as the time split reads
// them; false when either holds no stamp.
bool After(const std::string& later, const std::string& earlier) {
  TimeSplit split = ElapsedMillis(earlier, later);
  return split.error == TimeSplitError::kNone && split.elapsedMs > 0;
}

void MergeStamps(const MergeableThread& from, MergeableThread* into) {
  into->calls += from.calls;
  SaturatingAdd(&into->dmclMs, from.dmclMs);
  if (After(into->first, from.first)) into->first = from.first;
  if (!After(into->last, from.last)) into->last = from.last;
}

// Copies or takes `thread` as the caller passes it.
ThreadRow ThreadRowOf(MergeableThread thread, bool qualified) {
  std::string id = qualified ? thread.id + "@" + thread.trace : std::move(thread.id);
  return ThreadRow{std::move(id), thread.calls, thread.dmclMs, std::move(thread.first),
                   std::move(thread.last)};
}

ClassRow RowOf(std::string name, const DurationHistogram& durations) {
  return ClassRow{std::move(name), durations.stats(), 0, Example{}};
}

// The sessions, and the users and repositories their connects named, ranked
// as the classes are; sessions of several traces are named with their trace.
void WhoAndWhere(const std::vector<MergeableSession>& sessions, bool qualified,
                 ProfileAnalytics* analytics) {
  std::map<std::string, DurationHistogram> users, repositories;
  analytics->sessions.reserve(sessions.size());
  for (const MergeableSession& session : sessions) {
    users[session.user].merge(session.durations);
    repositories[session.repository].merge(session.durations);
    std::string label = qualified ? session.label + "@" + session.trace : session.label;
    analytics->sessions.push_back(
        SessionRow{RowOf(std::move(label), session.durations), session.user, session.repository});
  }
  for (const auto& [user, durations] : users) analytics->users.push_back(RowOf(user, durations));
  for (const auto& [repository, durations] : repositories) {
    analytics->repositories.push_back(RowOf(repository, durations));
  }
  RankRows(&analytics->users);
  RankRows(&analytics->repositories);
  std::sort(analytics->sessions.begin(), analytics->sessions.end(),
            [](const SessionRow& a, const SessionRow& b) {
              return std::make_tuple(-a.figures.stats.totalMs, -a.figures.stats.count,
                                     std::string_view(a.figures.name)) <
                     std::make_tuple(-b.figures.stats.totalMs, -b.figures.stats.count,
                                     std::string_view(b.figures.name));
            });
}

// Makes room in `entries` for `more` of them, growing it as pushing them
// would: a merge of many profiles adds a few each time.
template <typename Entry>
void MakeRoom(std::vector<Entry>* entries, size_t more) {
  if (entries->capacity() - entries->size() >= more) return;
  entries->reserve(std::max(2 * entries->capacity(), entries->size() + more));
}

// The traces that threads or sessions ran in, each once: a profile of
// other traces shares none of them.
template <typename Entry>
std::set<std::string_view> TracesNamed(const std::vector<Entry>& entries) {
  std::set<std::string_view> traces;
  for (const Entry& entry : entries) traces.insert(entry.trace);
  return traces;
}

}  // namespace

void MergeableProfile::merge(const MergeableProfile& other) {
  traces.insert(traces.end(), other.traces.begin(), other.traces.end());
  MergeClasses(other.apis, &apis);
  MergeClasses(other.queryClasses, &queryClasses);
  MergeClasses(other.callClasses, &callClasses);
  mergeThreadsAndTimeline(other);
  mergeSessions(other);
  span.merge(other.span);
  topCallsKept = std::max(topCallsKept, other.topCallsKept);
  topCalls = MergedTopCalls(&topCalls, other.topCalls, topCallsKept);
  if (startStamp.empty() || After(startStamp, other.startStamp)) startStamp = other.startStamp;
  if (endStamp.empty() || !After(endStamp, other.endStamp)) {
    if (!other.endStamp.empty()) endStamp = other.endStamp;
  }
  SaturatingAdd(&dmclMs, other.dmclMs);
}

void MergeableProfile::mergeThreadsAndTimeline(const MergeableProfile& other) {
  // Keyed by views of the texts of both profiles' threads, which stay where
  // they are: the vector grows no more below. Only a thread of a trace that
  // `other` names can be one of its threads.
  MakeRoom(&threads, other.threads.size());
  std::set<std::string_view> shared = TracesNamed(other.threads);
  std::map<std::pair<std::string_view, std::string_view>, uint32_t> numbers;
  for (uint32_t number = 0; number < threads.size(); ++number) {
    if (shared.count(threads[number].trace) == 0) continue;
    numbers.emplace(std::make_pair(std::string_view(threads[number].trace),
                                   std::string_view(threads[number].id)),
                    number);
  }
  std::vector<uint32_t> renumbered;
  for (const MergeableThread& thread : other.threads) {
    auto placed = numbers.try_emplace({thread.trace, thread.id}, uint32_t(threads.size()));
    if (placed.second) {
      threads.push_back(thread);
    } else {
      MergeStamps(thread, &threads[placed.first->second]);
    }
    renumbered.push_back(placed.first->second);
  }
  fixedWidth = fixedWidth || other.fixedWidth;
  int64_t width = std::lcm(bucketSeconds, other.bucketSeconds);
  rebucket(width);
  for (const auto& [index, bucket] : other.timeline) {
    MergeableBucket& into = timeline[BucketIndex(index * other.bucketSeconds, width)];
    into.durations.merge(bucket.durations);
    std::vector<uint32_t> added;
    for (uint32_t thread : bucket.threads) added.push_back(renumbered[thread]);
    std::sort(added.begin(), added.end());
    // Threads new to the profile come after all it had: most often appended.
    if (into.threads.empty() || added.empty() || added.front() > into.threads.back()) {
      into.threads.insert(into.threads.end(), added.begin(), added.end());
      continue;
    }
    std::vector<uint32_t> threadsOf;
    std::set_union(into.threads.begin(), into.threads.end(), added.begin(), added.end(),
                   std::back_inserter(threadsOf));
    into.threads = std::move(threadsOf);
  }
  if (!fixedWidth) widen();
}

void MergeableProfile::mergeSessions(const MergeableProfile& other) {
  hasSessions = hasSessions && other.hasSessions;
  if (!hasSessions) {
    sessions.clear();
    return;
  }
  // As the threads are numbered, by views, those of the traces `other`
  // names.
  MakeRoom(&sessions, other.sessions.size());
  std::set<std::string_view> shared = TracesNamed(other.sessions);
  std::map<std::pair<std::string_view, std::string_view>, size_t> numbers;
  for (size_t number = 0; number < sessions.size(); ++number) {
    if (shared.count(sessions[number].trace) == 0) continue;
    numbers.emplace(std::make_pair(std::string_view(sessions[number].trace),
                                   std::string_view(sessions[number].label)),
                    number);
  }
  for (const MergeableSession& session : other.sessions) {
    auto placed = numbers.try_emplace({session.trace, session.label}, sessions.size());
    if (placed.second) {
      sessions.push_back(session);
    } else {
      sessions[placed.first->second].durations.merge(session.durations);
    }
  }
}

void MergeableProfile::rebucket(int64_t width) {
  if (width == bucketSeconds) return;
  std::map<int64_t, MergeableBucket> wider;
  for (auto& [index, bucket] : timeline) {
    MergeableBucket& into = wider[BucketIndex(index * bucketSeconds, width)];
    into.durations.merge(bucket.durations);
    std::vector<uint32_t> threadsOf;
    std::set_union(into.threads.begin(), into.threads.end(), bucket.threads.begin(),
                   bucket.threads.end(), std::back_inserter(threadsOf));
    into.threads = std::move(threadsOf);
  }
  timeline = std::move(wider);
  bucketSeconds = width;
}

// The smallest width of a timeline, not narrower than the present one, that
// holds every bucket in kMaxTimelineBuckets, as a Timeline widens.
void MergeableProfile::widen() {
  if (timeline.empty()) return;
  int64_t first = timeline.begin()->first * bucketSeconds;
  int64_t last = timeline.rbegin()->first * bucketSeconds;
  auto fits = [&](int64_t width) {
    return BucketIndex(last, width) - BucketIndex(first, width) + 1 <= kMaxTimelineBuckets;
  };
  if (fits(bucketSeconds)) return;
  for (int64_t width : kTimelineWidths) {
    if (width <= bucketSeconds || width % bucketSeconds != 0) continue;
    rebucket(width);
    if (fits(width)) return;
  }
}

void MergeableProfile::nameTrace(const SourceTrace& trace) {
  traces = {trace};
  for (MergeableThread& thread : threads) thread.trace = trace.name;
  for (MergeableSession& session : sessions) session.trace = trace.name;
}

// Buckets of 0, 1, 2, 5, 10, 20, 50 ... ms up to the longest call.
std::vector<LatencyBucket> Latency(const DurationHistogram& calls) {
  int64_t longest = calls.maxMs();
  std::vector<int64_t> bounds = {0, 1};
  const int64_t kSteps[] = {1, 2, 5};
  for (int64_t scale = 1; bounds.back() <= longest; scale *= 10) {
    for (int64_t step : kSteps) {
      int64_t to = step == 5 ? 10 * scale : (step == 1 ? 2 : 5) * scale;
      bounds.push_back(to);
      if (to > longest) break;
    }
    if (scale > std::numeric_limits<int64_t>::max() / 100) break;
  }
  // The histogram is read once, whatever the number of buckets.
  std::vector<int64_t> counts(bounds.size() - 1, 0);
  calls.countBetween(bounds, &counts);
  std::vector<LatencyBucket> buckets;
  for (size_t at = 0; at < counts.size(); ++at) {
    buckets.push_back(LatencyBucket{bounds[at], bounds[at + 1], counts[at]});
  }
  return buckets;
}

ProfileAnalytics MergeableProfile::analytics() const {
  ProfileAnalytics analytics;
  addTotals(&analytics);
  analytics.timeline = Timeline::Figures(timeline, bucketSeconds);
  analytics.apis = Ranked(apis);
  analytics.queryClasses = Ranked(queryClasses);
  analytics.callClasses = Ranked(callClasses);
  // Threads of several traces are told apart by their trace.
  bool qualified = traces.size() > 1;
  analytics.threads.reserve(threads.size());
  for (const MergeableThread& thread : threads) {
    analytics.threads.push_back(ThreadRowOf(thread, qualified));
  }
  RankThreads(&analytics.threads);
  WhoAndWhere(sessions, qualified, &analytics);
  return analytics;
}

ProfileAnalytics MergeableProfile::takeAnalytics() {
  ProfileAnalytics analytics;
  addTotals(&analytics);
  analytics.timeline = Timeline::TakeFigures(&timeline, bucketSeconds);
  analytics.apis = TakeRanked(&apis);
  analytics.queryClasses = TakeRanked(&queryClasses);
  analytics.callClasses = TakeRanked(&callClasses);
  bool qualified = traces.size() > 1;
  analytics.threads.reserve(threads.size());
  for (MergeableThread& thread : threads) {
    analytics.threads.push_back(ThreadRowOf(std::move(thread), qualified));
  }
  threads = std::vector<MergeableThread>();
  RankThreads(&analytics.threads);
  WhoAndWhere(sessions, qualified, &analytics);
  *this = MergeableProfile();
  return analytics;
}

void MergeableProfile::addTotals(ProfileAnalytics* analytics) const {
  analytics->bucketSeconds = bucketSeconds;
  DurationHistogram calls = Merged(apis);
  analytics->latency = Latency(calls);
  analytics->calls = calls.count();
  analytics->queries = Count(queryClasses);
  if (!span.span(&analytics->elapsedMs)) {
    analytics->elapsedMs = ElapsedMillis(startStamp, endStamp).elapsedMs;
  }
}

Profile MergeableProfile::toProfile() const {
  Profile profile = frame();
  profile.topCalls = topCalls;
  profile.analytics = analytics();
  return profile;
}

Profile MergeableProfile::takeProfile() {
  Profile profile = frame();
  profile.topCalls = std::move(topCalls);
  profile.analytics = takeAnalytics();
  return profile;
}

Profile MergeableProfile::frame() const {
  Profile profile;
  profile.startTimestamp = startStamp;
  profile.endTimestamp = endStamp;
  profile.timeSplit = ElapsedMillis(startStamp, endStamp);
  profile.totalCallMillis = dmclMs;
  for (const SourceTrace& trace : traces) profile.lines += trace.lines;
  profile.hasAnalytics = true;
  return profile;
}

}  // namespace quintrel
