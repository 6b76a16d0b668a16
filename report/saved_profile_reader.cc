#include "report/saved_profile_reader.h"

#include <cstdint>
#include <initializer_list>
#include <set>
#include <stdexcept>
#include <utility>

#include "analysis/profile_total.h"
#include "report/json_pull_reader.h"
#include "report/saved_profile_writer.h"

namespace quintrel {

namespace {

using Kind = JsonPullReader::Kind;

// The bounds that keep every sum of a merge far from overflowing: a
// trillion calls of a histogram, durations below 30,000 years, stamps and
// buckets within 30,000 years of 1970, widths of nine digits as --bucket.
constexpr int64_t kMaxCount = 1000000000000;
constexpr int64_t kMaxMs = 1000000000000000;
constexpr int64_t kMaxSeconds = 1000000000000;
constexpr int64_t kMaxWidth = 999999999;

// What makes a document unreadable, and what makes it one this build does
// not read (its whole message); caught where reading began.
struct Damaged : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct Refused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the object ahead, handing the index in `keys` of each key it holds
// to `read`, which consumes its value; other keys are passed over. A key
// given twice is read twice, the last value standing. Every key not marked
// in the bits of `optional` must be there.
template <typename Read>
void ReadObject(JsonPullReader* json, std::initializer_list<const char*> keys, uint32_t optional,
                Read read) {
  if (json->peek() != Kind::kObject) {
    throw Damaged(std::string("an object expected around ") + *keys.begin());
  }
  json->enterObject();
  uint32_t seen = 0;
  std::string_view key;
  while (json->nextKey(&key)) {
    uint32_t index = 0;
    for (const char* known : keys) {
      if (key == known) break;
      ++index;
    }
    if (index == keys.size()) {
      json->skip();
      continue;
    }
    read(index);
    seen |= 1u << index;
  }
  uint32_t index = 0;
  for (const char* known : keys) {
    if ((seen | optional) >> index++ & 1) continue;
    throw Damaged(std::string("no ") + known);
  }
}

// How the records of a document are written: objects up to version 2,
// lists of their fields in a fixed order from version 3 on. Until the
// version is read, each record is read as what it is, and the document is
// checked once the version is known.
struct Layout {
  int64_t version = 0;                  // 0: not read yet
  bool lists = false, objects = false;  // what records were read as
};

// Reads the record ahead as ReadObject does, or, where `layout` makes it a
// list, its fields in the order of `keys`; the fields marked optional may be
// left out at its end.
template <typename Read>
void ReadRecord(JsonPullReader* json, Layout* layout, std::initializer_list<const char*> keys,
                uint32_t optional, Read read) {
  bool asList = layout->version > 0 ? layout->version >= 3 : json->peek() == Kind::kArray;
  (asList ? layout->lists : layout->objects) = true;
  if (!asList) return ReadObject(json, keys, optional, read);
  if (json->peek() != Kind::kArray)
    throw Damaged(std::string("a list expected around ") + *keys.begin());
  json->enterArray();
  uint32_t index = 0;
  for (; json->nextItem(); ++index) {
    if (index == keys.size()) {
      throw Damaged(std::string("more than ") + std::to_string(keys.size()) + " items around " +
                    *keys.begin());
    }
    read(index);
  }
  for (; index < keys.size(); ++index) {
    if (!(optional >> index & 1)) throw Damaged(std::string("no ") + keys.begin()[index]);
  }
}

std::string Text(JsonPullReader* json, const char* what) {
  if (json->peek() != Kind::kText) throw Damaged(std::string(what) + " is no text");
  return std::string(json->text());
}

bool Bool(JsonPullReader* json, const char* what) {
  if (json->peek() != Kind::kBool) throw Damaged(std::string(what) + " is no true or false");
  return json->boolean();
}

void EnterList(JsonPullReader* json, const char* what) {
  if (json->peek() != Kind::kArray) throw Damaged(std::string(what) + " is no list");
  json->enterArray();
}

// The message of Int() for a value outside [low, high].
Damaged OutOfRange(const char* what, int64_t low, int64_t high) {
  return Damaged(std::string(what) + " is no integer from " + std::to_string(low) + " to " +
                 std::to_string(high));
}

int64_t Int(JsonPullReader* json, const char* what, int64_t low, int64_t high) {
  int64_t value = 0;
  if (!json->integer(&value) || value < low || value > high) throw OutOfRange(what, low, high);
  return value;
}

// Reads the (ms, count) pairs of a histogram into `items`, ms and count
// one after the other, ascending, and checks them in the order of the
// items, as reading them one by one would.
void ReadCounts(JsonPullReader* json, std::vector<int64_t>* items) {
  EnterList(json, "durations");
  items->clear();
  bool whole = json->integerItems(items);
  const size_t read = items->size();
  int64_t previous = -1, calls = 0;
  for (size_t at = 0; at < read; at += 2) {
    int64_t ms = (*items)[at];
    if (ms <= previous || ms > kMaxMs) throw OutOfRange("a duration", previous + 1, kMaxMs);
    if (at + 1 == read) break;
    int64_t count = (*items)[at + 1];
    if (count < 1 || count > kMaxCount - calls) {
      throw OutOfRange("a count", 1, kMaxCount - calls);
    }
    calls += count;
    previous = ms;
  }
  if (read % 2 == 0 && !whole) throw OutOfRange("a duration", previous + 1, kMaxMs);
  if (read % 2 == 1 && !whole) throw OutOfRange("a count", 1, kMaxCount - calls);
  if (read % 2 == 1) throw Damaged("durations are not (ms, count) pairs");
}

DurationHistogram Durations(JsonPullReader* json, std::vector<int64_t>* items) {
  ReadCounts(json, items);
  std::vector<std::pair<int64_t, int64_t>> counts(items->size() / 2);
  for (size_t pair = 0; pair < counts.size(); ++pair) {
    counts[pair] = {(*items)[2 * pair], (*items)[2 * pair + 1]};
  }
  DurationHistogram durations;
  durations.add(counts);
  return durations;
}

// A text that lasts as long as `batch` holds it: in place in the document,
// or kept by the batch when it had escapes.
std::string_view LastingText(JsonPullReader* json, const char* what, ClassBatch* batch) {
  if (json->peek() != Kind::kText) throw Damaged(std::string(what) + " is no text");
  std::string_view text = json->text();
  return json->textInPlace() ? text : batch->keep(text);
}

ExampleView ExampleOf(JsonPullReader* json, Layout* layout, ClassBatch* batch) {
  ExampleView example;
  ReadRecord(json, layout, {"text", "ms", "thread", "start"}, 0, [&](uint32_t key) {
    if (key == 0) example.text = LastingText(json, "text", batch);
    if (key == 1) example.ms = Int(json, "ms", 0, kMaxMs);
    if (key == 2) example.thread = LastingText(json, "thread", batch);
    if (key == 3) example.start = LastingText(json, "start", batch);
  });
  return example;
}

// A list of classes into `batch`, each class's histogram appended to its
// pairs; the list read last stands.
void Classes(JsonPullReader* json, Layout* layout, ClassBatch::List list, ClassBatch* batch,
             std::vector<int64_t>* items) {
  static const char* const kNames[] = {"apis", "queryClasses", "callClasses"};
  const char* what = kNames[list];
  batch->clearList(list);
  EnterList(json, what);
  while (json->nextItem()) {
    BatchClass entry;
    ReadRecord(json, layout, {"name", "fetches", "durations", "example"}, 1u << 3,
               [&](uint32_t key) {
                 if (key == 0) entry.name = LastingText(json, "name", batch);
                 if (key == 1) entry.fetches = Int(json, "fetches", 0, kMaxCount);
                 if (key == 2) {
                   ReadCounts(json, items);
                   entry.firstCount = batch->counts.size();
                   entry.counts = items->size() / 2;
                   entry.calls = 0;
                   for (size_t at = 0; at < items->size(); at += 2) {
                     batch->counts.emplace_back((*items)[at], (*items)[at + 1]);
                     entry.calls += (*items)[at + 1];
                   }
                 }
                 if (key == 3) entry.example = ExampleOf(json, layout, batch);
               });
    if (entry.calls == 0) throw Damaged(std::string("a class of ") + what + " is empty");
    if (!batch->add(list, entry)) {
      throw Damaged(std::string("a class of ") + what + " appears twice");
    }
  }
}

std::vector<std::string> Filters(JsonPullReader* json) {
  std::vector<std::string> filters;
  EnterList(json, "filters");
  while (json->nextItem()) {
    if (json->peek() != Kind::kText) throw Damaged("a filter is no text");
    filters.emplace_back(json->text());
  }
  return filters;
}

std::vector<SourceTrace> Traces(JsonPullReader* json) {
  std::vector<SourceTrace> traces;
  EnterList(json, "traces");
  while (json->nextItem()) {
    SourceTrace trace;
    ReadObject(json, {"name", "bytes", "lines", "filters"}, 0, [&](uint32_t key) {
      if (key == 0) trace.name = Text(json, "name");
      if (key == 1) trace.bytes = uint64_t(Int(json, "bytes", 0, INT64_MAX));
      if (key == 2) trace.lines = uint64_t(Int(json, "lines", 0, INT64_MAX));
      if (key == 3) trace.filters = Filters(json);
    });
    traces.push_back(std::move(trace));
  }
  return traces;
}

std::vector<MergeableThread> Threads(JsonPullReader* json, Layout* layout) {
  std::vector<MergeableThread> threads;
  EnterList(json, "threads");
  while (json->nextItem()) {
    MergeableThread thread;
    ReadRecord(json, layout, {"trace", "id", "calls", "dmclMs", "first", "last"}, 0,
               [&](uint32_t key) {
                 if (key == 0) thread.trace = Text(json, "trace");
                 if (key == 1) thread.id = Text(json, "id");
                 if (key == 2) thread.calls = Int(json, "calls", 1, kMaxCount);
                 if (key == 3) thread.dmclMs = Int(json, "dmclMs", 0, INT64_MAX);
                 if (key == 4) thread.first = Text(json, "first");
                 if (key == 5) thread.last = Text(json, "last");
               });
    threads.push_back(std::move(thread));
  }
  return threads;
}

// The threads of a bucket, ascending, up to `last`; when the threads come
// after the timeline, whether they exist is checked once the whole document
// is read (CheckTimeline).
std::vector<uint32_t> BucketThreads(JsonPullReader* json, int64_t last) {
  std::vector<uint32_t> threads;
  EnterList(json, "threads");
  int64_t previous = -1;
  while (json->nextItem()) {
    previous = Int(json, "a thread", previous + 1, last);
    threads.push_back(uint32_t(previous));
  }
  return threads;
}

std::map<int64_t, MergeableBucket> Buckets(JsonPullReader* json, Layout* layout, int64_t lastThread,
                                           std::vector<int64_t>* items) {
  std::map<int64_t, MergeableBucket> timeline;
  EnterList(json, "buckets");
  while (json->nextItem()) {
    int64_t index = 0;
    MergeableBucket bucket;
    ReadRecord(json, layout, {"index", "durations", "threads"}, 0, [&](uint32_t key) {
      if (key == 0) index = Int(json, "index", -kMaxSeconds, kMaxSeconds);
      if (key == 1) bucket.durations = Durations(json, items);
      if (key == 2) bucket.threads = BucketThreads(json, lastThread);
    });
    if (bucket.durations.count() == 0 || !timeline.emplace(index, std::move(bucket)).second) {
      throw Damaged("a timeline bucket is empty or appears twice");
    }
  }
  return timeline;
}

void ReadTimeline(JsonPullReader* json, Layout* layout, int64_t lastThread,
                  MergeableProfile* profile, std::vector<int64_t>* items) {
  ReadObject(json, {"bucketSeconds", "fixed", "buckets"}, 0, [&](uint32_t key) {
    if (key == 0) profile->bucketSeconds = Int(json, "bucketSeconds", 1, kMaxWidth);
    if (key == 1) profile->fixedWidth = Bool(json, "fixed");
    if (key == 2) profile->timeline = Buckets(json, layout, lastThread, items);
  });
}

// What can only be checked once everything is read: that the buckets lie
// within the calendar at their width and name threads that exist.
void CheckTimeline(const MergeableProfile& profile) {
  int64_t bound = kMaxSeconds / profile.bucketSeconds;
  for (const auto& [index, bucket] : profile.timeline) {
    if (index < -bound || index > bound) {
      throw Damaged("index is no integer from " + std::to_string(-bound) + " to " +
                    std::to_string(bound));
    }
    int64_t previous = -1;
    for (uint32_t thread : bucket.threads) {
      if (thread >= profile.threads.size()) {
        throw Damaged("a thread is no integer from " + std::to_string(previous + 1) + " to " +
                      std::to_string(int64_t(profile.threads.size()) - 1));
      }
      previous = thread;
    }
  }
}

CallSpan Span(JsonPullReader* json) {
  int64_t earliest = 0, latest = 0;
  bool undated = false;
  ReadObject(json, {"earliestMs", "latestMs", "undated"}, 0, [&](uint32_t key) {
    if (key == 0) earliest = Int(json, "earliestMs", -kMaxSeconds * 1000, INT64_MAX);
    if (key == 1) latest = Int(json, "latestMs", INT64_MIN, kMaxSeconds * 1000);
    if (key == 2) undated = Bool(json, "undated");
  });
  return CallSpan::Of(earliest, latest, undated);
}

std::vector<TopCallEntry> TopCalls(JsonPullReader* json, Layout* layout) {
  std::vector<TopCallEntry> calls;
  EnterList(json, "topCalls");
  while (json->nextItem()) {
    TopCallEntry call;
    ReadRecord(json, layout, {"text", "ms", "thread", "start"}, 0, [&](uint32_t key) {
      if (key == 0) call.callText = TextBuffer(Text(json, "text"));
      if (key == 1) {
        double ms = json->peek() == Kind::kNumber ? json->number() : -1.0;
        if (!(ms >= 0 && ms <= double(kMaxMs))) {
          throw Damaged("the ms of a longest call is out of range");
        }
        call.durationMs = ms;
      }
      if (key == 2) call.threadId = Text(json, "thread");
      if (key == 3) call.timeStamp = Text(json, "start");
    });
    calls.push_back(std::move(call));
  }
  return calls;
}

std::vector<MergeableSession> Sessions(JsonPullReader* json, Layout* layout,
                                       std::vector<int64_t>* items) {
  std::vector<MergeableSession> sessions;
  std::set<std::pair<std::string, std::string>> seen;
  EnterList(json, "sessions");
  while (json->nextItem()) {
    MergeableSession session;
    ReadRecord(json, layout, {"trace", "label", "user", "repository", "durations"}, 0,
               [&](uint32_t key) {
                 if (key == 0) session.trace = Text(json, "trace");
                 if (key == 1) session.label = Text(json, "label");
                 if (key == 2) session.user = Text(json, "user");
                 if (key == 3) session.repository = Text(json, "repository");
                 if (key == 4) session.durations = Durations(json, items);
               });
    if (session.durations.count() == 0 || !seen.emplace(session.trace, session.label).second) {
      throw Damaged("a session is empty or appears twice");
    }
    sessions.push_back(std::move(session));
  }
  return sessions;
}

// The format and version: a document of another kind or of a later version
// is refused as such (Refusal), whatever else it holds. Returns the version
// (0 for the format).
int64_t ReadVersion(JsonPullReader* json, uint32_t key) {
  if (key == 0 && Text(json, "format") != kSavedProfileFormat) throw Refused("not a saved profile");
  if (key != 1) return 0;
  int64_t version = Int(json, "version", 1, INT64_MAX);
  if (version > kSavedProfileVersion) {
    throw Refused("written by a later version of quintrel (saved profile version " +
                  std::to_string(version) + "; this one reads versions up to " +
                  std::to_string(kSavedProfileVersion) + ")");
  }
  return version;
}

// The sessions: passed over in version 1, which knows none; null from
// version 3 on where they are not known. Returns whether they were null.
bool ReadSessions(JsonPullReader* json, Layout* layout, MergeableProfile* profile,
                  std::vector<int64_t>* items) {
  if (layout->version == 1) {
    json->skip();
    return false;
  }
  if (json->peek() == Kind::kNull) {
    json->skip();
    return true;
  }
  profile->sessions = Sessions(json, layout, items);
  return false;
}

// What can only be checked once the version is known: the records written
// as that version writes them, and the sessions there where it has them.
void CheckVersion(const Layout& layout, bool sessions, bool unknownSessions,
                  MergeableProfile* profile) {
  if (layout.version >= 3 ? layout.objects : layout.lists) {
    throw Damaged(std::string("records are ") + (layout.version >= 3 ? "objects" : "lists") +
                  " in version " + std::to_string(layout.version));
  }
  if (layout.version > 1 && !sessions) throw Damaged("no sessions");
  if (layout.version == 2 && unknownSessions) throw Damaged("sessions is no list");
  profile->hasSessions = layout.version > 1 && !unknownSessions;
  if (!profile->hasSessions) profile->sessions.clear();
}

void ReadDocument(JsonPullReader* json, MergeableProfile* profile, ClassBatch* batch) {
  int64_t lastThread = UINT32_MAX - 1;  // until the threads are read
  Layout layout;
  bool sessions = false, unknownSessions = false;
  std::vector<int64_t> items;  // a histogram's, as it is read
  ReadObject(json,
             {"format", "version", "traces", "start", "end", "dmclMs", "span", "topCallsKept",
              "topCalls", "apis", "queryClasses", "callClasses", "threads", "timeline", "sessions"},
             1u << 14, [&](uint32_t key) {
               if (key == 1) layout.version = ReadVersion(json, key);
               if (key == 0) ReadVersion(json, key);
               if (key == 2) profile->traces = Traces(json);
               if (key == 3) profile->startStamp = Text(json, "start");
               if (key == 4) profile->endStamp = Text(json, "end");
               if (key == 5) profile->dmclMs = Int(json, "dmclMs", 0, INT64_MAX);
               if (key == 6) profile->span = Span(json);
               if (key == 7) profile->topCallsKept = size_t(Int(json, "topCallsKept", 0, 1000000));
               if (key == 8) profile->topCalls = TopCalls(json, &layout);
               if (key >= 9 && key <= 11) {
                 Classes(json, &layout, ClassBatch::List(key - 9), batch, &items);
               }
               if (key == 12) profile->threads = Threads(json, &layout);
               if (key == 12) lastThread = int64_t(profile->threads.size()) - 1;
               if (key == 13) ReadTimeline(json, &layout, lastThread, profile, &items);
               if (key == 14) unknownSessions = ReadSessions(json, &layout, profile, &items);
               sessions = sessions || key == 14;
             });
  json->finish();
  if (profile->traces.empty()) throw Damaged("no traces");
  CheckVersion(layout, sessions, unknownSessions, profile);
  CheckTimeline(*profile);
}

// Runs `read`; returns why it failed as the reader says it, "" when it did
// not.
template <typename Read>
std::string Failure(Read read) {
  try {
    read();
  } catch (const JsonSyntaxError&) {
    return "damaged: not a whole JSON document";
  } catch (const Damaged& damage) {
    return std::string("damaged: ") + damage.what();
  } catch (const Refused& refusal) {
    return refusal.what();
  }
  return "";
}

// Why a document that reading stopped at (`failure`) is refused, in the
// order a reader of the whole tree finds it: not JSON, then its format,
// then its version, then what reading stopped at. Costs a few more passes
// over a document that is refused anyway.
std::string Refusal(std::string_view text, const std::string& failure) {
  std::string syntax = Failure([&] {
    JsonPullReader json(text);
    json.skip();
    json.finish();
  });
  if (!syntax.empty()) return syntax;
  for (uint32_t wanted : {0u, 1u}) {
    std::string refused = Failure([&] {
      JsonPullReader json(text);
      ReadObject(&json, {"format", "version"}, 0, [&](uint32_t key) {
        if (key == wanted) {
          ReadVersion(&json, key);
        } else {
          json.skip();
        }
      });
    });
    if (!refused.empty()) return refused;
  }
  return failure;
}

}  // namespace

bool StartsLikeSavedProfile(std::string_view start) {
  size_t at = start.find_first_not_of(" \t\r\n");
  if (at == std::string_view::npos || start[at] != '{') return false;
  at = start.find_first_not_of(" \t\r\n", at + 1);
  return at != std::string_view::npos && start.substr(at, 8) == "\"format\"";
}

bool ReadSavedProfile(std::string_view text, MergeableProfile* rest, ClassBatch* classes,
                      std::string* error) {
  *rest = MergeableProfile();
  classes->clear();
  std::string failure = Failure([&] {
    JsonPullReader json(text);
    ReadDocument(&json, rest, classes);
  });
  if (failure.empty()) return true;
  *error = Refusal(text, failure);
  return false;
}

bool ReadSavedProfile(std::string_view text, MergeableProfile* profile, std::string* error) {
  ClassBatch classes;
  if (!ReadSavedProfile(text, profile, &classes, error)) return false;
  ProfileTotal total;
  total.add(profile, classes);
  *profile = total.take();
  return true;
}

}  // namespace quintrel
