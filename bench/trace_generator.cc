// trace_generator: writes a synthetic DMCL trace file of a requested size, used to
// benchmark quintrel on inputs far larger than any hand-made example.
//
// Usage: trace_generator SEED SIZE_MB OUTFILE
//
// The trace imitates a client process with 5 to 50 threads working in parallel:
// connects, fetches and attribute gets, updates with SET lines and saves, queries
// (query, readquery, cachequery, query_cmd, execquery + getlastcoll) with their
// next and close calls, multi-line query texts and results, "Server RPC: " lines
// inside calls that go to the server, and now and then a malformed line. Time
// stamps start at 09:00 and never pass midnight, whatever the size.
//
// The output depends only on SEED and SIZE_MB (1 MB = 1048576 bytes). Random
// numbers are drawn straight from std::mt19937_64 without the std distributions,
// whose results differ between standard libraries.
//
// Exit codes: 0 success (nothing printed), 1 bad arguments, 3 write failure.

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <queue>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int64_t kMicrosPerMilli = 1000;
constexpr int64_t kMicrosPerSecond = 1000000;
constexpr int64_t kMicrosPerHour = 3600 * kMicrosPerSecond;
constexpr int64_t kFirstMicros = 9 * kMicrosPerHour;         // 09:00:00.000000
constexpr int64_t kLastMicros = 24 * kMicrosPerHour - 1;     // 23:59:59.999999
constexpr double kTimeBudgetMicros = 14.0 * kMicrosPerHour;  // aim to end by 23:00
constexpr double kBytesPerMegabyte = 1048576.0;
constexpr double kMaxMegabytes = 1048576.0;  // 1 TB, a sanity limit
constexpr size_t kFlushBytes = size_t{8} << 20;
constexpr double kMalformedRate = 1.0 / 2000;

// ---------------------------------------------------------------------------
// Random numbers

class Random {
 public:
  explicit Random(uint64_t seed) : engine_(seed) {}

  // Uniform integer in [lo, hi].
  int64_t Range(int64_t lo, int64_t hi) {
    uint64_t span = static_cast<uint64_t>(hi - lo) + 1;
    return lo + static_cast<int64_t>(engine_() % span);
  }
  // Uniform double in [0, 1).
  double Unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
  bool Chance(double p) { return Unit() < p; }

  template <size_t N>
  std::string Pick(const char* const (&items)[N]) {
    return items[engine_() % N];
  }

 private:
  std::mt19937_64 engine_;
};

// ---------------------------------------------------------------------------
// Vocabulary

constexpr const char* kTypes[] = {"doc_item", "doc_item", "doc_item", "folder_item"};
constexpr const char* kAttributes[] = {
    "item_name",   "title",        "subject",       "owner_name",   "object_type",
    "modify_date", "content_type", "version_label", "content_size", "status"};
constexpr const char* kSetAttributes[] = {"title", "subject", "status", "keywords", "owner_name"};
constexpr const char* kNames[] = {"annual-report.pdf",
                                  "minutes-0714.doc",
                                  "budget 2003.xls",
                                  "roadmap.ppt",
                                  "org-chart.vsd",
                                  "release-notes.txt",
                                  "contract-A17.pdf",
                                  "logo.gif",
                                  "design-v2.doc",
                                  "index.html",
                                  "Temp",
                                  "Projects"};
constexpr const char* kUsers[] = {"jsmith", "admin", "x", "batch01", "webuser", "mlee"};
constexpr const char* kStatus[] = {"draft", "review", "approved", "archived"};
constexpr const char* kContentTypes[] = {"pdf", "doc", "xls", "ppt", "gif", "txt"};
constexpr const char* kWords[] = {
    "Quarterly report", "Minutes of 14 July", "steering group", "final", "x", "Scratch area"};

// ---------------------------------------------------------------------------
// Calls and the lines they become

struct InnerLine {
  bool is_set;       // "SET> " line; otherwise a "Server RPC: " line
  std::string text;  // everything after the keyword
};

struct Call {
  std::string api;                       // text after "API> "
  std::vector<std::string> api_more;     // continuation lines after the API line
  std::vector<InnerLine> inner;          // SET and Server RPC lines
  std::string result;                    // text after "Res: '"
  std::vector<std::string> result_more;  // continuation lines after the result
  int64_t duration_ms = 0;
  int rpc_delta = 0;
};

struct Step {
  int64_t time = 0;   // simulated microseconds since the first line
  std::string entry;  // keyword and text
  int64_t rpc = 0;
  int64_t shown_ms = 0;  // the "( s.mmm sec)" field
  std::vector<std::string> more;
};

struct SimThread {
  std::string id;
  std::string session;     // "s<n>"
  std::string query_conn;  // connection used for queries: "c" or the session
  int64_t rpc = 0;
  double pace = 1.0;  // multiplies the pause between activities
  bool connected = false;
  int64_t ready = 0;  // simulated time at which the next call starts
  std::deque<Call> planned;
  std::vector<Step> steps;
  size_t next_step = 0;
  std::set<int> collections;  // collection numbers in use
};

// ---------------------------------------------------------------------------
// Durations

int64_t TickRound(Random* rng, int64_t ms) {
  // The traced client measures with a coarse system tick half of the time.
  if (!rng->Chance(0.5)) return ms;
  return static_cast<int64_t>(std::floor(std::floor(ms / 15.625) * 15.625));
}

int64_t LocalMillis(Random* rng) {
  double u = rng->Unit();
  if (u < 0.85) return 0;
  if (u < 0.93) return rng->Range(1, 3);
  return rng->Chance(0.5) ? 15 : 16;
}

int64_t HeavyTailMillis(Random* rng) {
  double pareto = 300.0 / std::pow(1.0 - rng->Unit(), 1.0 / 1.5);
  return static_cast<int64_t>(std::fmin(pareto, 30000.0));
}

int64_t ServerMillis(Random* rng) {
  double u = rng->Unit();
  if (u < 0.70) return TickRound(rng, rng->Range(1, 50));
  if (u < 0.95) return TickRound(rng, rng->Range(50, 300));
  return HeavyTailMillis(rng);
}

// ---------------------------------------------------------------------------
// Building blocks of the workload

std::string Hex(Random* rng, int digits) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < digits; ++i) out += kDigits[rng->Range(0, 15)];
  return out;
}

std::string ObjectId(Random* rng) { return "4e2110" + Hex(rng, 10); }

std::string FolderId(Random* rng) { return "4e2120" + Hex(rng, 10); }

Call LocalCall(Random* rng, std::string api, std::string result) {
  Call call;
  call.api = std::move(api);
  call.result = std::move(result) + "'";
  call.duration_ms = LocalMillis(rng);
  return call;
}

Call ServerCall(Random* rng, std::string api, std::string result, const std::string& rpc_name,
                int rpc_delta) {
  Call call;
  call.api = std::move(api);
  call.result = std::move(result) + "'";
  call.duration_ms = ServerMillis(rng);
  call.rpc_delta = rpc_delta;
  if (rng->Chance(0.6)) {
    call.inner.push_back({false, rpc_name});
    for (int i = 1; i < rpc_delta; ++i) call.inner.push_back({false, "Fetch"});
  }
  return call;
}

int RpcDelta(Random* rng) {
  double u = rng->Unit();
  if (u < 0.85) return 1;
  return u < 0.97 ? 2 : 4;
}

std::string AttributeValue(Random* rng, const std::string& attribute) {
  if (attribute == "item_name") return rng->Pick(kNames);
  if (attribute == "owner_name") return rng->Pick(kUsers);
  if (attribute == "object_type") return "doc_item";
  if (attribute == "status") return rng->Pick(kStatus);
  if (attribute == "content_type") return rng->Pick(kContentTypes);
  if (attribute == "content_size") return std::to_string(rng->Range(0, 9000000));
  if (attribute == "version_label") return "1." + std::to_string(rng->Range(0, 6));
  if (attribute == "modify_date") {
    return "8/" + std::to_string(rng->Range(1, 6)) + "/2003 1" + std::to_string(rng->Range(0, 3)) +
           ":" + std::to_string(rng->Range(10, 59)) + ":" + std::to_string(rng->Range(10, 59));
  }
  return rng->Pick(kWords);
}

int TakeCollection(SimThread* t) {
  int n = 0;
  while (t->collections.count(n) != 0) ++n;
  t->collections.insert(n);
  return n;
}

// ---------------------------------------------------------------------------
// Activities: each appends a short sequence of calls to the thread's plan

void PlanConnect(Random* rng, SimThread* t) {
  Call call =
      ServerCall(rng, "connect,repo01," + rng->Pick(kUsers) + ",,,", t->session, "Connect", 3);
  call.inner = {{false, "Connect"}, {false, "Authenticate"}, {false, "GetRepoConfig"}};
  call.duration_ms = rng->Range(250, 600);
  t->planned.push_back(call);
  t->connected = true;
}

void PlanObjectWork(Random* rng, SimThread* t) {
  std::string id = ObjectId(rng);
  if (rng->Chance(0.9)) {
    t->planned.push_back(
        ServerCall(rng, "fetch," + t->session + "," + id, "T", "Fetch", RpcDelta(rng)));
  }
  int64_t gets = rng->Range(1, 3);
  for (int64_t i = 0; i < gets; ++i) {
    const std::string& attribute = rng->Pick(kAttributes);
    t->planned.push_back(LocalCall(rng, "get," + t->session + "," + id + "," + attribute,
                                   AttributeValue(rng, attribute)));
  }
}

void PlanUpdate(Random* rng, SimThread* t) {
  std::string id = ObjectId(rng);
  t->planned.push_back(ServerCall(rng, "fetch," + t->session + "," + id, "T", "Fetch", 1));
  int64_t sets = rng->Range(1, 3);
  for (int64_t i = 0; i < sets; ++i) {
    const std::string& attribute = rng->Pick(kSetAttributes);
    Call call = LocalCall(rng, "set," + t->session + "," + id + "," + attribute, "T");
    call.inner.push_back({true, t->session + "," + attribute + "," + rng->Pick(kWords)});
    t->planned.push_back(call);
  }
  t->planned.push_back(ServerCall(rng, "save," + t->session + "," + id, "T", "Save",
                                  1 + static_cast<int>(rng->Range(0, 1))));
}

// Query text as a first line and optional further lines (multi-line queries).
std::vector<std::string> QueryLines(Random* rng) {
  std::string type = rng->Pick(kTypes);
  std::vector<std::string> lines = {"select item_id, item_name"};
  if (rng->Chance(0.3)) lines[0] += ", " + rng->Pick(kAttributes);
  lines.push_back("from " + type);
  lines.push_back("where owner_name = '" + rng->Pick(kUsers) + "'");
  if (rng->Chance(0.3)) lines.push_back("order by item_name");
  if (rng->Chance(0.2)) return lines;
  std::string joined = lines[0];
  for (size_t i = 1; i < lines.size(); ++i) joined += " " + lines[i];
  return {joined};
}

Call QueryStart(Random* rng, const std::string& conn, const std::string& collection) {
  std::vector<std::string> lines = QueryLines(rng);
  double u = rng->Unit();
  std::string api = "query," + conn + ",";
  if (u < 0.25) {
    api = "readquery," + conn + ",";
  } else if (u < 0.33) {
    api = "cachequery," + conn + ",";
  } else if (u < 0.38) {
    api = "query_cmd," + conn + ",50,F,F,F,,,";
  }
  Call call = ServerCall(rng, api + lines[0], collection, "Query", 1);
  call.api_more.assign(lines.begin() + 1, lines.end());
  return call;
}

void PlanFetches(Random* rng, SimThread* t, const std::string& conn, const std::string& coll) {
  int64_t rows = rng->Chance(0.05) ? rng->Range(10, 40) : rng->Range(0, 6);
  for (int64_t i = 0; i < rows; ++i) {
    std::string next = "next," + conn + "," + coll;
    if (i % 10 == 0) {  // the client fetches rows from the server in batches
      t->planned.push_back(ServerCall(rng, next, "T", "MultiNext", 1));
    } else {
      t->planned.push_back(LocalCall(rng, next, "T"));
    }
    if (rng->Chance(0.3)) {
      t->planned.push_back(
          LocalCall(rng, "get," + conn + "," + coll + ",item_name", rng->Pick(kNames)));
    }
  }
  t->planned.push_back(LocalCall(rng, "next," + conn + "," + coll, "F"));
}

void CloseOrLeak(Random* rng, SimThread* t, const std::string& conn, int number) {
  // A few collections are never closed and keep their number for good.
  if (rng->Chance(0.03)) return;
  t->planned.push_back(LocalCall(rng, "close," + conn + ",q" + std::to_string(number), "T"));
  t->collections.erase(number);
}

void PlanQuery(Random* rng, SimThread* t) {
  int number = TakeCollection(t);
  std::string coll = "q" + std::to_string(number);
  t->planned.push_back(QueryStart(rng, t->query_conn, coll));
  PlanFetches(rng, t, t->query_conn, coll);
  CloseOrLeak(rng, t, t->query_conn, number);
}

void PlanExecQuery(Random* rng, SimThread* t) {
  const std::string& s = t->session;
  if (rng->Chance(0.2)) {  // an update: nothing to fetch, no getlastcoll
    std::string dql = "update doc_item set status = '" + rng->Pick(kStatus) +
                      "' where item_id = '" + ObjectId(rng) + "'";
    t->planned.push_back(ServerCall(rng, "execquery," + s + ",F," + dql, "T", "ExecSelect", 1));
    return;
  }
  std::vector<std::string> lines = QueryLines(rng);
  Call exec = ServerCall(rng, "execquery," + s + ",F," + lines[0], "T", "ExecSelect", 1);
  exec.api_more.assign(lines.begin() + 1, lines.end());
  t->planned.push_back(exec);
  int number = TakeCollection(t);
  std::string coll = "q" + std::to_string(number);
  t->planned.push_back(LocalCall(rng, "getlastcoll," + s, coll));
  PlanFetches(rng, t, s, coll);
  CloseOrLeak(rng, t, s, number);
}

void PlanDumpConnection(Random* rng, SimThread* t) {
  Call call = LocalCall(rng, "dumpconnection," + t->session, "");
  call.result = "connection " + t->session;
  call.result_more = {"  repository   : repo01", "  user         : " + rng->Pick(kUsers),
                      "  rpc count    : " + std::to_string(t->rpc) + "'"};
  t->planned.push_back(call);
}

void PlanCheckin(Random* rng, SimThread* t) {
  const std::string& s = t->session;
  std::string id = ObjectId(rng);
  t->planned.push_back(ServerCall(rng, "checkout," + s + "," + id, "T", "Checkout", 1));
  t->planned.push_back(LocalCall(rng, "setfile," + s + "," + id + ",c:\\temp\\" + id, "T"));
  Call checkin = ServerCall(rng, "checkin," + s + "," + id + ",", ObjectId(rng), "Checkin", 3);
  checkin.inner = {{false, "Checkin"}, {false, "PutBlock"}, {false, "Save"}};
  checkin.duration_ms = 300 + HeavyTailMillis(rng);
  t->planned.push_back(checkin);
}

void PlanMisc(Random* rng, SimThread* t) {
  const std::string& s = t->session;
  int64_t pick = rng->Range(0, 5);
  if (pick == 0) {
    t->planned.push_back(
        ServerCall(rng, "getservermap," + s + ",repo01", FolderId(rng), "GetServerMap", 1));
  } else if (pick == 1) {
    int number = TakeCollection(t);
    std::string coll = "q" + std::to_string(number);
    t->planned.push_back(ServerCall(rng, "apply," + s + ",NULL,LAST_STATEMENT", coll, "Apply", 1));
    t->planned.push_back(LocalCall(rng, "next," + s + "," + coll, "T"));
    CloseOrLeak(rng, t, s, number);
  } else if (pick == 2) {
    PlanDumpConnection(rng, t);
  } else if (pick == 3) {
    t->planned.push_back(LocalCall(rng, "getmessage," + s + ",3", ""));
  } else if (pick == 4) {
    std::string id = ObjectId(rng);
    t->planned.push_back(ServerCall(rng, "getfile," + s + "," + id + ",c:\\temp\\" + id,
                                    "c:\\temp\\" + id, "GetContent", 3));
  } else {
    PlanCheckin(rng, t);
  }
}

void PlanActivity(Random* rng, SimThread* t) {
  double u = rng->Unit();
  if (!t->connected) {
    PlanConnect(rng, t);
  } else if (u < 0.45) {
    PlanObjectWork(rng, t);
  } else if (u < 0.62) {
    PlanUpdate(rng, t);
  } else if (u < 0.85) {
    PlanQuery(rng, t);
  } else if (u < 0.93) {
    PlanExecQuery(rng, t);
  } else {
    PlanMisc(rng, t);
  }
}

// ---------------------------------------------------------------------------
// Turning a call into timed lines

int64_t PauseMicros(Random* rng, const SimThread& t) {
  if (!t.planned.empty()) return rng->Range(200, 3000);  // inside an activity
  double u = rng->Unit();
  int64_t pause = 0;
  if (u < 0.6) {
    pause = rng->Range(1000, 30000);
  } else if (u < 0.9) {
    pause = rng->Range(30000, 800000);
  } else {
    pause = rng->Range(800000, 8000000);
  }
  return static_cast<int64_t>(pause * t.pace);
}

Step MakeStep(int64_t time, std::string entry, int64_t rpc, int64_t shown_ms) {
  Step step;
  step.time = time;
  step.entry = std::move(entry);
  step.rpc = rpc;
  step.shown_ms = shown_ms;
  return step;
}

void ScheduleCall(Random* rng, const Call& call, SimThread* t) {
  int64_t start = t->ready;
  int64_t span = call.duration_ms * kMicrosPerMilli + rng->Range(0, 999);
  t->steps.clear();
  t->next_step = 0;
  t->steps.push_back(MakeStep(start, "API> " + call.api, t->rpc, 0));
  t->steps.back().more = call.api_more;
  int64_t rpc = t->rpc;
  int64_t parts = static_cast<int64_t>(call.inner.size()) + 1;
  for (size_t i = 0; i < call.inner.size(); ++i) {
    const InnerLine& line = call.inner[i];
    int64_t when = start + span * static_cast<int64_t>(i + 1) / parts;
    t->steps.push_back(
        MakeStep(when, (line.is_set ? "SET> " : "Server RPC: ") + line.text, rpc, 0));
    if (!line.is_set && rpc < t->rpc + call.rpc_delta) ++rpc;
  }
  t->rpc += call.rpc_delta;
  t->steps.push_back(MakeStep(start + span, "Res: '" + call.result, t->rpc, call.duration_ms));
  t->steps.back().more = call.result_more;
  t->ready = start + span;
}

void ScheduleNextCall(Random* rng, SimThread* t) {
  if (t->planned.empty()) PlanActivity(rng, t);
  Call call = std::move(t->planned.front());
  t->planned.pop_front();
  ScheduleCall(rng, call, t);
  t->ready += PauseMicros(rng, *t);
}

// ---------------------------------------------------------------------------
// Output

class Output {
 public:
  explicit Output(FILE* file) : file_(file) { buffer_.reserve(kFlushBytes + 65536); }

  std::string& buffer() { return buffer_; }
  uint64_t written() const { return flushed_ + buffer_.size(); }

  bool MaybeFlush() { return buffer_.size() < kFlushBytes || Flush(); }

  bool Flush() {
    size_t size = buffer_.size();
    bool ok = std::fwrite(buffer_.data(), 1, size, file_) == size;
    flushed_ += size;
    buffer_.clear();
    return ok;
  }

 private:
  FILE* file_;
  std::string buffer_;
  uint64_t flushed_ = 0;
};

void AppendNumber(std::string* out, int64_t value, int width) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  while (n < width) digits[n++] = '0';
  while (n > 0) out->push_back(digits[--n]);
}

// "Wed Aug  6 14:03:22 2003 412345" for a time of day in microseconds.
void AppendTimestamp(std::string* out, int64_t micros) {
  int64_t seconds = micros / kMicrosPerSecond;
  out->append("Wed Aug  6 ");
  AppendNumber(out, seconds / 3600, 2);
  out->push_back(':');
  AppendNumber(out, seconds / 60 % 60, 2);
  out->push_back(':');
  AppendNumber(out, seconds % 60, 2);
  out->append(" 2003 ");
  AppendNumber(out, micros % kMicrosPerSecond, 6);
}

void AppendHeader(std::string* out, const std::string& thread, int64_t micros, int64_t shown_ms,
                  int64_t rpc) {
  out->append("# [ ");
  out->append(thread);
  out->append(" ] ");
  AppendTimestamp(out, micros);
  out->append(" ( ");
  AppendNumber(out, shown_ms / 1000, 1);
  out->push_back('.');
  AppendNumber(out, shown_ms % 1000, 3);
  out->append(" sec) ( ");
  AppendNumber(out, rpc, 1);
  out->append(" rpc) ");
}

// One line that breaks the grammar in one of the ways real traces do.
void AppendMalformed(Random* rng, std::string* out, const SimThread& t, int64_t micros) {
  std::string line;
  AppendHeader(&line, t.id, micros, 0, t.rpc);
  switch (rng->Range(0, 4)) {
    case 0:
      line += "api> get," + t.session + "," + ObjectId(rng) + ",item_name";
      break;
    case 1:
      line.resize(static_cast<size_t>(rng->Range(4, 45)));
      break;
    case 2:
      line += "API>get," + t.session + "," + ObjectId(rng) + ",title";
      break;
    case 3:
      line.replace(line.find("Aug  6"), 6, "Aug   6");
      line += "Res: 'T'";
      break;
    default:
      line.clear();
      for (int64_t n = rng->Range(10, 60); n > 0; --n) {
        line.push_back(static_cast<char>(rng->Range(0x80, 0xff)));
      }
  }
  out->append(line);
  out->push_back('\n');
}

// ---------------------------------------------------------------------------
// The simulation

class Generator {
 public:
  Generator(uint64_t seed, double megabytes) : rng_(seed), target_(megabytes * kBytesPerMegabyte) {}

  bool Run(Output* out);

 private:
  using Event = std::pair<int64_t, size_t>;  // (simulated time, thread index)

  void CreateThreads();
  std::string ThreadNumber(int index);
  void EmitStep(SimThread* t, Output* out);
  int64_t TimeOfDay(int64_t simulated, double written);

  Random rng_;
  double target_;
  int64_t last_simulated_ = 0;
  double clock_ = 0;  // printed microseconds since 09:00
  std::vector<SimThread> threads_;
  std::set<std::string> used_ids_;
  std::priority_queue<Event, std::vector<Event>, std::greater<Event>> queue_;
};

// The first two threads are a three-digit and a four-digit number ("977" and
// "1008" style), which sort differently as text and as numbers.
std::string Generator::ThreadNumber(int index) {
  for (;;) {
    int64_t number = 0;
    if (index == 0) {
      number = rng_.Range(900, 999);
    } else if (index == 1) {
      number = rng_.Range(1000, 1999);
    } else {
      int64_t low = 1;
      for (int64_t digits = rng_.Range(1, 5); digits > 1; --digits) low *= 10;
      number = rng_.Range(low, low * 10 - 1);
    }
    std::string id = std::to_string(number);
    if (used_ids_.insert(id).second) return id;
  }
}

void Generator::CreateThreads() {
  int count = static_cast<int>(rng_.Range(5, 50));
  for (int i = 0; i < count; ++i) {
    SimThread t;
    t.id = ThreadNumber(i);
    t.session = "s" + std::to_string(i);
    t.query_conn = i == 0 ? "c" : t.session;
    t.rpc = rng_.Range(5, 400);
    t.pace = 0.5 + 3.5 * rng_.Unit();
    t.ready = rng_.Range(0, 5 * kMicrosPerSecond);
    ScheduleNextCall(&rng_, &t);
    threads_.push_back(std::move(t));
    queue_.push({threads_.back().steps.front().time, threads_.size() - 1});
  }
}

// Maps simulated time to the time of day printed. Small traces keep the
// simulated clock; when the simulated time still to come (projected from the
// bytes written so far) would not fit the rest of the day, the clock is slowed
// down, so even huge traces end within the day.
int64_t Generator::TimeOfDay(int64_t simulated, double written) {
  double step = static_cast<double>(simulated - last_simulated_);
  last_simulated_ = simulated;
  double scale = 1.0;
  if (written > 0) {
    double still_to_come = static_cast<double>(simulated) / written * (target_ - written);
    double budget = std::fmax(kTimeBudgetMicros - clock_, 0.0);
    if (still_to_come > budget) scale = budget / still_to_come;
  }
  clock_ += step * scale;
  int64_t micros = kFirstMicros + static_cast<int64_t>(clock_);
  return micros < kLastMicros ? micros : kLastMicros;
}

void Generator::EmitStep(SimThread* t, Output* out) {
  const Step& step = t->steps[t->next_step++];
  int64_t micros = TimeOfDay(step.time, static_cast<double>(out->written()));
  std::string& buffer = out->buffer();
  if (rng_.Chance(kMalformedRate)) AppendMalformed(&rng_, &buffer, *t, micros);
  AppendHeader(&buffer, t->id, micros, step.shown_ms, step.rpc);
  buffer.append(step.entry);
  buffer.push_back('\n');
  for (const std::string& line : step.more) {
    buffer.append(line);
    buffer.push_back('\n');
  }
}

bool Generator::Run(Output* out) {
  CreateThreads();
  while (static_cast<double>(out->written()) < target_) {
    size_t index = queue_.top().second;
    queue_.pop();
    SimThread* t = &threads_[index];
    EmitStep(t, out);
    if (t->next_step == t->steps.size()) ScheduleNextCall(&rng_, t);
    queue_.push({t->steps[t->next_step].time, index});
    if (!out->MaybeFlush()) return false;
  }
  return out->Flush();
}

// ---------------------------------------------------------------------------
// Command line

struct Arguments {
  uint64_t seed = 0;
  double megabytes = 0;
  std::string path;
};

bool ParseSeed(const char* text, uint64_t* seed) {
  if (*text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  *seed = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0';
}

bool ParseMegabytes(const char* text, double* megabytes) {
  char* end = nullptr;
  errno = 0;
  *megabytes = std::strtod(text, &end);
  return errno == 0 && end != text && *end == '\0' && std::isfinite(*megabytes) && *megabytes > 0 &&
         *megabytes <= kMaxMegabytes;
}

bool ParseArguments(int argc, char** argv, Arguments* args) {
  if (argc != 4 || argv[3][0] == '\0') return false;
  args->path = argv[3];
  return ParseSeed(argv[1], &args->seed) && ParseMegabytes(argv[2], &args->megabytes);
}

int WriteTrace(const Arguments& args) {
  FILE* file = std::fopen(args.path.c_str(), "wb");
  bool ok = file != nullptr;
  if (ok) {
    Output out(file);
    ok = Generator(args.seed, args.megabytes).Run(&out);
    ok = std::fclose(file) == 0 && ok;
  }
  if (ok) return 0;
  std::fprintf(stderr, "cannot write %s\n", args.path.c_str());
  return 3;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (!ParseArguments(argc, argv, &args)) {
    std::fprintf(stderr, "usage: trace_generator SEED SIZE_MB OUTFILE\n");
    return 1;
  }
  return WriteTrace(args);
}
