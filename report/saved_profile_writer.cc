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

Json ClassesJson(const std::map<std::string, MergeableClass>& classes) {
  Json list = Json::array();
  for (const auto& [name, entry] : classes) {
    Json item = {{"name", name}, {"fetches", entry.fetches}};
    item["durations"] = DurationsJson(entry.durations);
    const Example& example = entry.example;
    if (example.ms >= 0) {
      item["example"] = {{"text", example.text},
                         {"ms", example.ms},
                         {"thread", example.thread},
                         {"start", example.start}};
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
    list.push_back({{"trace", thread.trace},
                    {"id", thread.id},
                    {"calls", thread.calls},
                    {"dmclMs", thread.dmclMs},
                    {"first", thread.first},
                    {"last", thread.last}});
  }
  return list;
}

Json SessionsJson(const std::vector<MergeableSession>& sessions) {
  Json list = Json::array();
  for (const MergeableSession& session : sessions) {
    list.push_back({{"trace", session.trace},
                    {"label", session.label},
                    {"user", session.user},
                    {"repository", session.repository},
                    {"durations", DurationsJson(session.durations)}});
  }
  return list;
}

Json TimelineJson(const MergeableProfile& profile) {
  Json buckets = Json::array();
  for (const auto& [index, bucket] : profile.timeline) {
    buckets.push_back({{"index", index},
                       {"durations", DurationsJson(bucket.durations)},
                       {"threads", bucket.threads}});
  }
  return {{"bucketSeconds", profile.bucketSeconds},
          {"fixed", profile.fixedWidth},
          {"buckets", std::move(buckets)}};
}

Json TopCallsJson(const std::vector<TopCallEntry>& calls) {
  Json list = Json::array();
  for (const TopCallEntry& call : calls) {
    list.push_back({{"text", std::string(call.callText.view())},
                    {"ms", call.durationMs},
                    {"thread", call.threadId},
                    {"start", call.timeStamp}});
  }
  return list;
}

}  // namespace

void WriteSavedProfile(const MergeableProfile& profile, std::ostream& out) {
  Json document = {
      {"format", kSavedProfileFormat},
      // A profile without its sessions is what version 1 holds.
      {"version", profile.hasSessions ? kSavedProfileVersion : 1},
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
  if (profile.hasSessions) document["sessions"] = SessionsJson(profile.sessions);
  std::string text = document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  std::string frame = FrameProfileText(text);
  out.write(frame.data(), std::streamsize(frame.size()));
  out.flush();
}

}  // namespace quintrel
