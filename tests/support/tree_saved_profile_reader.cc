#include "tests/support/tree_saved_profile_reader.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <utility>

#include "report/saved_profile_writer.h"

namespace quintrel {

namespace {

// The version it read: the first, without sessions.
constexpr int kTreeVersion = 1;

using Json = nlohmann::json;

// The bounds that keep every sum of a merge far from overflowing: a
// trillion calls of a histogram, durations below 30,000 years, stamps and
// buckets within 30,000 years of 1970, widths of nine digits as --bucket.
constexpr int64_t kMaxCount = 1000000000000;
constexpr int64_t kMaxMs = 1000000000000000;
constexpr int64_t kMaxSeconds = 1000000000000;
constexpr int64_t kMaxWidth = 999999999;

// What makes a document unreadable; caught where reading began.
struct Damaged : std::runtime_error {
  using std::runtime_error::runtime_error;
};

const Json& Field(const Json& object, const char* key) {
  if (!object.is_object()) throw Damaged(std::string("an object expected around ") + key);
  auto found = object.find(key);
  if (found == object.end()) throw Damaged(std::string("no ") + key);
  return *found;
}

int64_t IntOf(const Json& value, const char* what, int64_t low, int64_t high) {
  bool integer = value.is_number_integer() &&
                 !(value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(INT64_MAX));
  if (!integer || value.get<int64_t>() < low || value.get<int64_t>() > high) {
    throw Damaged(std::string(what) + " is no integer from " + std::to_string(low) + " to " +
                  std::to_string(high));
  }
  return value.get<int64_t>();
}

int64_t Int(const Json& object, const char* key, int64_t low, int64_t high) {
  return IntOf(Field(object, key), key, low, high);
}

std::string Text(const Json& object, const char* key) {
  const Json& value = Field(object, key);
  if (!value.is_string()) throw Damaged(std::string(key) + " is no text");
  return value.get<std::string>();
}

const Json& Array(const Json& object, const char* key) {
  const Json& value = Field(object, key);
  if (!value.is_array()) throw Damaged(std::string(key) + " is no list");
  return value;
}

DurationHistogram Durations(const Json& object) {
  const Json& flat = Array(object, "durations");
  if (flat.size() % 2 != 0) throw Damaged("durations are not (ms, count) pairs");
  DurationHistogram durations;
  int64_t previous = -1;
  for (size_t at = 0; at < flat.size(); at += 2) {
    int64_t ms = IntOf(flat[at], "a duration", previous + 1, kMaxMs);
    int64_t count = IntOf(flat[at + 1], "a count", 1, kMaxCount - durations.count());
    durations.add(ms, count);
    previous = ms;
  }
  return durations;
}

Example ExampleOf(const Json& object) {
  Example example;
  if (!object.is_object() || !object.contains("example")) return example;
  const Json& entry = object["example"];
  example.text = Text(entry, "text");
  example.ms = Int(entry, "ms", 0, kMaxMs);
  example.thread = Text(entry, "thread");
  example.start = Text(entry, "start");
  return example;
}

std::map<std::string, MergeableClass> Classes(const Json& document, const char* key) {
  std::map<std::string, MergeableClass> classes;
  for (const Json& item : Array(document, key)) {
    MergeableClass entry{Durations(item), Int(item, "fetches", 0, kMaxCount), ExampleOf(item)};
    if (entry.durations.count() == 0) throw Damaged(std::string("a class of ") + key + " is empty");
    if (!classes.emplace(Text(item, "name"), std::move(entry)).second) {
      throw Damaged(std::string("a class of ") + key + " appears twice");
    }
  }
  return classes;
}

std::vector<SourceTrace> Traces(const Json& document) {
  std::vector<SourceTrace> traces;
  for (const Json& item : Array(document, "traces")) {
    SourceTrace trace{Text(item, "name"),
                      uint64_t(Int(item, "bytes", 0, INT64_MAX)),
                      uint64_t(Int(item, "lines", 0, INT64_MAX)),
                      {}};
    for (const Json& filter : Array(item, "filters")) {
      if (!filter.is_string()) throw Damaged("a filter is no text");
      trace.filters.push_back(filter.get<std::string>());
    }
    traces.push_back(std::move(trace));
  }
  if (traces.empty()) throw Damaged("no traces");
  return traces;
}

std::vector<MergeableThread> Threads(const Json& document) {
  std::vector<MergeableThread> threads;
  for (const Json& item : Array(document, "threads")) {
    threads.push_back(MergeableThread{
        Text(item, "trace"), Text(item, "id"), Int(item, "calls", 1, kMaxCount),
        Int(item, "dmclMs", 0, INT64_MAX), Text(item, "first"), Text(item, "last")});
  }
  return threads;
}

void ReadTimeline(const Json& document, MergeableProfile* profile) {
  const Json& timeline = Field(document, "timeline");
  profile->bucketSeconds = Int(timeline, "bucketSeconds", 1, kMaxWidth);
  const Json& fixed = Field(timeline, "fixed");
  if (!fixed.is_boolean()) throw Damaged("fixed is no true or false");
  profile->fixedWidth = fixed.get<bool>();
  int64_t bound = kMaxSeconds / profile->bucketSeconds;
  for (const Json& item : Array(timeline, "buckets")) {
    int64_t index = Int(item, "index", -bound, bound);
    MergeableBucket bucket{Durations(item), {}};
    int64_t previous = -1;
    for (const Json& thread : Array(item, "threads")) {
      previous = IntOf(thread, "a thread", previous + 1, int64_t(profile->threads.size()) - 1);
      bucket.threads.push_back(uint32_t(previous));
    }
    if (bucket.durations.count() == 0 || !profile->timeline.emplace(index, bucket).second) {
      throw Damaged("a timeline bucket is empty or appears twice");
    }
  }
}

std::vector<TopCallEntry> TopCalls(const Json& document) {
  std::vector<TopCallEntry> calls;
  for (const Json& item : Array(document, "topCalls")) {
    const Json& ms = Field(item, "ms");
    if (!ms.is_number() || !(ms.get<double>() >= 0 && ms.get<double>() <= double(kMaxMs))) {
      throw Damaged("the ms of a longest call is out of range");
    }
    calls.push_back(TopCallEntry{TextBuffer(Text(item, "text")), ms.get<double>(),
                                 Text(item, "thread"), Text(item, "start")});
  }
  return calls;
}

void ReadDocument(const Json& document, MergeableProfile* profile) {
  profile->hasSessions = false;
  profile->traces = Traces(document);
  profile->startStamp = Text(document, "start");
  profile->endStamp = Text(document, "end");
  profile->dmclMs = Int(document, "dmclMs", 0, INT64_MAX);
  const Json& span = Field(document, "span");
  const Json& undated = Field(span, "undated");
  if (!undated.is_boolean()) throw Damaged("undated is no true or false");
  profile->span =
      CallSpan::Of(Int(span, "earliestMs", -kMaxSeconds * 1000, INT64_MAX),
                   Int(span, "latestMs", INT64_MIN, kMaxSeconds * 1000), undated.get<bool>());
  profile->topCallsKept = size_t(Int(document, "topCallsKept", 0, 1000000));
  profile->topCalls = TopCalls(document);
  profile->apis = Classes(document, "apis");
  profile->queryClasses = Classes(document, "queryClasses");
  profile->callClasses = Classes(document, "callClasses");
  profile->threads = Threads(document);
  ReadTimeline(document, profile);
}

}  // namespace

bool ReadSavedProfileAsTree(std::string_view text, MergeableProfile* profile, std::string* error) {
  Json document = Json::parse(text, nullptr, false);
  if (document.is_discarded()) {
    *error = "damaged: not a whole JSON document";
    return false;
  }
  try {
    if (Text(document, "format") != kSavedProfileFormat) {
      *error = "not a saved profile";
      return false;
    }
    int64_t version = Int(document, "version", 1, INT64_MAX);
    if (version != kTreeVersion) {
      *error = "written by a later version of quintrel (saved profile version " +
               std::to_string(version) + "; this one reads version " +
               std::to_string(kTreeVersion) + ")";
      return false;
    }
    *profile = MergeableProfile();
    ReadDocument(document, profile);
  } catch (const Damaged& damage) {
    *error = std::string("damaged: ") + damage.what();
    return false;
  }
  return true;
}

}  // namespace quintrel
