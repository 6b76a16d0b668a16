#include "report/saved_profile_writer.h"

#include <nlohmann/json.hpp>
#include <string>

#include "report/profile_frame.h"

namespace quintrel {

namespace {

using Json = nlohmann::ordered_json;

// A histogram as [ms, count, ms, count, ...], ascending.
Json DurationsJson(const DurationHistogram& durations) {
  Json flat = Json::array();
  for (const auto& [ms, count] : durations.sortedCounts()) {
    flat.push_back(ms);
    flat.push_back(count);
  }
  return flat;
}

// A class as [name, fetches, durations], its example (where it has one)
// after them as [text, ms, thread, start].
Json ClassesJson(const std::map<std::string, MergeableClass>& classes) {
  Json list = Json::array();
  for (const auto& [name, entry] : classes) {
    Json item = Json::array({name, entry.fetches, DurationsJson(entry.durations)});
    const Example& example = entry.example;
    if (example.ms >= 0) {
      item.push_back(Json::array({example.text, example.ms, example.thread, example.start}));
    }
    list.push_back(std::move(item));
  }
  return list;
}

Json TracesJson(const std::vector<SourceTrace>& traces) {
  Json list = Json::array();
  for (const SourceTrace& trace : traces) {
    list.push_back({{"name", trace.name},
                    {"bytes", trace.bytes},
                    {"lines", trace.lines},
                    {"filters", trace.filters}});
  }
  return list;
}

Json ThreadsJson(const std::vector<MergeableThread>& threads) {
  Json list = Json::array();
  for (const MergeableThread& thread : threads) {
    list.push_back(Json::array(
        {thread.trace, thread.id, thread.calls, thread.dmclMs, thread.first, thread.last}));
  }
  return list;
}

Json SessionsJson(const std::vector<MergeableSession>& sessions) {
  Json list = Json::array();
  for (const MergeableSession& session : sessions) {
    list.push_back(Json::array({session.trace, session.label, session.user, session.repository,
                                DurationsJson(session.durations)}));
  }
  return list;
}

Json TimelineJson(const MergeableProfile& profile) {
  Json buckets = Json::array();
  for (const auto& [index, bucket] : profile.timeline) {
    buckets.push_back(Json::array({index, DurationsJson(bucket.durations), Json(bucket.threads)}));
  }
  return {{"bucketSeconds", profile.bucketSeconds},
          {"fixed", profile.fixedWidth},
          {"buckets", std::move(buckets)}};
}

Json TopCallsJson(const std::vector<TopCallEntry>& calls) {
  Json list = Json::array();
  for (const TopCallEntry& call : calls) {
    list.push_back(Json::array(
        {std::string(call.callText.view()), call.durationMs, call.threadId, call.timeStamp}));
  }
  return list;
}

}  // namespace

void WriteSavedProfile(const MergeableProfile& profile, std::ostream& out) {
  Json document = {
      {"format", kSavedProfileFormat},
      {"version", kSavedProfileVersion},
      {"traces", TracesJson(profile.traces)},
      {"start", profile.startStamp},
      {"end", profile.endStamp},
      {"dmclMs", profile.dmclMs},
      {"span",
       {{"earliestMs", profile.span.earliest()},
        {"latestMs", profile.span.latest()},
        {"undated", profile.span.undated()}}},
      {"topCallsKept", profile.topCallsKept},
      {"topCalls", TopCallsJson(profile.topCalls)},
      {"apis", ClassesJson(profile.apis)},
      {"queryClasses", ClassesJson(profile.queryClasses)},
      {"callClasses", ClassesJson(profile.callClasses)},
      {"threads", ThreadsJson(profile.threads)},
      {"timeline", TimelineJson(profile)},
  };
  // null: the sessions are not known (a profile merged with one of version 1).
  document["sessions"] = profile.hasSessions ? SessionsJson(profile.sessions) : Json();
  std::string text = document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  std::string frame = FrameProfileText(text);
  out.write(frame.data(), std::streamsize(frame.size()));
  out.flush();
}

}  // namespace quintrel
