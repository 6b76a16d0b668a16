#include "report/saved_profile_reader.h"

#include <gtest/gtest.h>
#include <zstd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "analysis/profile_total.h"
#include "report/saved_profile_writer.h"
#include "tests/support/tree_saved_profile_reader.h"

namespace quintrel {
namespace {

std::string Corpus(const std::string& name) {
  std::ifstream in(std::string(QUINTREL_PROFILE_CORPUS) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The document the writer makes of `profile`, out of its frame.
std::string Written(const MergeableProfile& profile) {
  std::ostringstream out;
  WriteSavedProfile(profile, out);
  const std::string frame = out.str();
  std::string text(ZSTD_getFrameContentSize(frame.data(), frame.size()), '\0');
  text.resize(ZSTD_decompress(text.data(), text.size(), frame.data(), frame.size()));
  return text;
}

// `text` with the first `from` replaced by `to` (`from` must be there).
std::string Edited(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// Both readers read `text` to the same profile or refuse it, for the same
// reason unless `anyReason`.
void ExpectSameReading(const std::string& text, const std::string& what, bool anyReason = false) {
  MergeableProfile pulled, tree;
  std::string pullError, treeError;
  bool pullRead = ReadSavedProfile(text, &pulled, &pullError);
  bool treeRead = ReadSavedProfileAsTree(text, &tree, &treeError);
  ASSERT_EQ(pullRead, treeRead) << what << ": " << pullError << " / " << treeError;
  if (pullRead) {
    EXPECT_EQ(Written(pulled), Written(tree)) << what;
  } else if (!anyReason) {
    EXPECT_EQ(pullError, treeError) << what;
  }
}

// Read in parts into a running total, one after another with the parts
// reused, `texts` merge as the profiles ReadSavedProfile reads merge, and
// what one refuses the other refuses for the same reason.
void ExpectSameMerge(const std::vector<std::string>& texts, const std::string& what) {
  MergeableProfile merged, rest;
  ProfileTotal total;
  ClassBatch classes;
  bool first = true;
  for (const std::string& text : texts) {
    MergeableProfile whole;
    std::string wholeError, partsError;
    bool wholeRead = ReadSavedProfile(text, &whole, &wholeError);
    ASSERT_EQ(ReadSavedProfile(text, &rest, &classes, &partsError), wholeRead) << what;
    EXPECT_EQ(partsError, wholeError) << what;
    if (!wholeRead) continue;
    total.add(&rest, classes);
    if (first) {
      merged = std::move(whole);
    } else {
      merged.merge(whole);
    }
    first = false;
  }
  EXPECT_EQ(Written(total.take()), Written(merged)) << what;
}

TEST(SavedProfileReaderTest, ReadsTheCorpusAsTheTreeReaderDid) {
  for (const char* name : {"empty.prof", "fixed_bucket.prof", "future.prof", "many_merged.prof",
                           "small.prof", "truncated.prof"}) {
    std::string text = Corpus(name);
    ASSERT_FALSE(text.empty()) << name;
    // The readers count later versions each its own way.
    ExpectSameReading(text, name, std::string(name) == "future.prof");
  }
}

TEST(SavedProfileReaderTest, ReadsEditedProfilesAsTheTreeReaderDid) {
  const std::string good = Corpus("small.prof");
  const struct {
    const char* from;
    const char* to;
    bool anyReason = false;
  } kEdits[] = {
      // Read alike by both: blanks, escapes, keys in another order or
      // unknown, an example's absence.
      {"{\"format\"", " {\n \"format\" "},
      {"\"getlastcoll,s0\"", "\"get\\u006cast\\u00e9\\ud83d\\ude00\\\"\\\\\""},
      {"\"dmclMs\":1640,", "\"extra\":{\"a\":[1,2.5,null,true]},\"dmclMs\":1640,"},
      {"\"start\":\"Wed Aug  6 14:03:22 2003 412345\",", ""},
      {"\"traces\":", "\"start\":\"Wed Aug  6 14:03:22 2003 412345\",\"traces\":"},
      {"\"ms\":1.0", "\"ms\":1"},
      {"\"ms\":1.0", "\"ms\":1e0"},
      {"\"fixed\":false", "\"fixed\":true"},
      // Classes out of order, a list or a histogram given twice (the last
      // stands), names and examples with escapes or beyond ASCII.
      {"{\"name\":\"close,?,?\"",
       "{\"name\":\"zz\",\"fetches\":0,\"durations\":[1,1]},{\"name\":\"close,?,?\""},
      {"\"apis\":[", "\"apis\":[{\"name\":\"x\",\"fetches\":0,\"durations\":[1,1]}],\"apis\":["},
      {"\"durations\":[1,1]", "\"durations\":[1,1],\"durations\":[2,3]"},
      {"\"name\":\"close,?,?\"", "\"name\":\"clos\\u00e9,\\\"?\\\",?\""},
      {"\"name\":\"close,?,?\"", "\"name\":\"clos\xC3\xA9,?,?\""},
      {"\"text\":\"close,c,q0\",\"ms\":1", "\"text\":\"close,\\tc,q0\",\"ms\":1"},
      // Refused by both, for the same reason.
      // A later version, named the way each reader counts versions.
      {"\"version\":1", "\"version\":3", true},
      {"\"version\":1", "\"version\":1.0"},
      {"\"version\":1", "\"version\":\"1\""},
      {"\"version\":1,", ""},
      {"\"quintrel-saved-profile\"", "\"other\""},
      {"\"quintrel-saved-profile\"", "7"},
      {"\"durations\":[", "\"durations\":[7,0,"},
      // The tree reader counts a list before it reads it: it calls these
      // durations unpaired, the pull reader a duration out of order.
      {"\"durations\":[", "\"durations\":[7,", true},
      {"\"durations\":[", "\"durations\":[-1,1,"},
      {"\"durations\":[", "\"durations\":[99999999999999999999,1,"},
      {"\"threads\":[0", "\"threads\":[99"},
      {"\"threads\":[0", "\"threads\":[0,0"},
      {"{\"name\":\"close,?,?\"",
       "{\"name\":\"zz\",\"fetches\":0,\"durations\":[1,1]},{\"name\":\"zz\",\"fetches\":0,"
       "\"durations\":[1,1]},{\"name\":\"close,?,?\""},
      {"{\"name\":\"close,?,?\"",
       "{\"name\":\"zz\",\"fetches\":0,\"durations\":[1,1]},{\"name\":\"close,?,?\",\"fetches\":0,"
       "\"durations\":[1,1]},{\"name\":\"zz\""},
      {"\"durations\":[1,1]", "\"durations\":[]"},
      {"\"apis\":[", "\"apis\":{\"x\":1},\"old\":["},
      {"\"bucketSeconds\":", "\"bucketSeconds\":0,\"was\":"},
      {"\"index\":", "\"index\":99999999999999,\"was\":"},
      {"\"ms\":1.0", "\"ms\":-1.0"},
      {"\"ms\":1.0", "\"ms\":\"1\""},
      {"\"undated\":false", "\"undated\":0"},
      {"\"filters\":[]", "\"filters\":[1]"},
      {"\"lines\":30,", ""},
      {"\"text\":\"getlastcoll,s0\"", "\"text\":\"\\ud800\""},
      {"\"text\":\"getlastcoll,s0\"", "\"text\":\"\xC3\""},
      {"\"getlastcoll,s0\"", "\"getlastcoll,s0\" x"},
      {"}]}}", "}]}}}"},
      {"}]}}", "}]}},"},
      {"{\"format\"", "[{\"format\""},
  };
  const std::string many = Corpus("many_merged.prof");
  for (const auto& edit : kEdits) {
    const std::string edited = Edited(good, edit.from, edit.to);
    const std::string what = std::string(edit.from) + " -> " + edit.to;
    ExpectSameReading(edited, what, edit.anyReason);
    ExpectSameMerge({edited, good}, what);
    ExpectSameMerge({many, edited, good, edited}, what);
  }
  for (size_t cut = 0; cut < good.size(); cut += 97) {
    ExpectSameReading(good.substr(0, cut), "cut at " + std::to_string(cut));
  }
}

using Json = nlohmann::ordered_json;

// Each record of `list` (a list of field lists) as an object of `keys`.
void AsObjects(Json* list, const std::vector<const char*>& keys) {
  for (Json& record : *list) {
    Json object = Json::object();
    for (size_t field = 0; field < record.size(); ++field) object[keys[field]] = record[field];
    record = std::move(object);
  }
}

// `text`, a document of version 3, as version 2 writes the same profile:
// every record an object of its fields.
std::string AsVersion2(const std::string& text) {
  Json document = Json::parse(text);
  for (const char* list : {"apis", "queryClasses", "callClasses"}) {
    AsObjects(&document[list], {"name", "fetches", "durations", "example"});
    for (Json& record : document[list]) {
      if (!record.contains("example")) continue;
      Json examples = Json::array({record["example"]});
      AsObjects(&examples, {"text", "ms", "thread", "start"});
      record["example"] = examples[0];
    }
  }
  AsObjects(&document["topCalls"], {"text", "ms", "thread", "start"});
  AsObjects(&document["threads"], {"trace", "id", "calls", "dmclMs", "first", "last"});
  AsObjects(&document["sessions"], {"trace", "label", "user", "repository", "durations"});
  AsObjects(&document["timeline"]["buckets"], {"index", "durations", "threads"});
  document["version"] = 2;
  return document.dump();
}

// The corpus profile `name` with two sessions, as this build writes it.
std::string WithSessions(const std::string& name) {
  MergeableProfile profile;
  std::string error;
  EXPECT_TRUE(ReadSavedProfile(Corpus(name), &profile, &error)) << name << ": " << error;
  profile.hasSessions = true;
  for (const char* label : {"s0", "s1"}) {
    MergeableSession session{profile.traces[0].name, label, "admin", "repo", {}};
    session.durations.add(12, 3);
    profile.sessions.push_back(std::move(session));
  }
  return Written(profile);
}

TEST(SavedProfileReaderTest, ReadsVersionsTwoAndThreeAlike) {
  for (const char* name : {"empty.prof", "fixed_bucket.prof", "many_merged.prof", "small.prof"}) {
    const std::string current = WithSessions(name), before = AsVersion2(current);
    ASSERT_NE(current.find("\"version\":3,"), std::string::npos) << name;
    MergeableProfile read;
    std::string error;
    ASSERT_TRUE(ReadSavedProfile(before, &read, &error)) << name << ": " << error;
    EXPECT_EQ(Written(read), current) << name;
    ExpectSameMerge({current, before, Corpus(name), before}, name);
  }
}

TEST(SavedProfileReaderTest, RefusesRecordsOfTheOtherVersion) {
  const std::string current = WithSessions("small.prof"), before = AsVersion2(current);
  const struct {
    const std::string& text;
    const char* from;
    const char* to;
    const char* error;  // "" where the document is read
  } kEdits[] = {
      {current, "[\"close\",0,[1,1]]", "{\"name\":\"close\",\"fetches\":0,\"durations\":[1,1]}",
       "damaged: a list expected around name"},
      {before, "{\"name\":\"close\",\"fetches\":0,\"durations\":[1,1]}", "[\"close\",0,[1,1]]",
       "damaged: an object expected around name"},
      {current, "[\"close\",0,[1,1]]", "[\"close\",0]", "damaged: no durations"},
      {current, "[\"close\",0,[1,1]]", "[\"close\",0,[1,1],[\"c\",1,\"t\",\"s\"],0]",
       "damaged: more than 4 items around name"},
      {current, "[\"close\",0,[1,1]]", "[\"close\",0,[1,1],[\"c\",1,\"t\"]]", "damaged: no start"},
      {current, "\"sessions\":[", "\"sessions\":null,\"was\":[", ""},
      {before, "\"sessions\":[", "\"sessions\":null,\"was\":[", "damaged: sessions is no list"},
      {current, "\"sessions\":[", "\"was\":[", "damaged: no sessions"},
      {current, "\"version\":3,", "", "damaged: no version"},
  };
  for (const auto& edit : kEdits) {
    const std::string edited = Edited(edit.text, edit.from, edit.to);
    MergeableProfile read;
    std::string error;
    bool ok = ReadSavedProfile(edited, &read, &error);
    EXPECT_EQ(ok, *edit.error == '\0') << edit.from << " -> " << edit.to << ": " << error;
    const std::string what = std::string(edit.from) + " -> " + edit.to;
    if (ok) {
      EXPECT_FALSE(read.hasSessions) << what;
    } else {
      EXPECT_EQ(error, edit.error) << what;
    }
  }
  // Records read before the version, as a document edited by hand may have
  // them, are checked against it at the end.
  const std::string lastCurrent = Edited(current, "\"version\":3,", "");
  const std::string lastBefore = Edited(before, "\"version\":2,", "");
  const struct {
    std::string text;
    const char* error;
  } kLate[] = {
      {lastCurrent.substr(0, lastCurrent.size() - 2) + ",\"version\":3}\n", ""},
      {lastBefore.substr(0, lastBefore.size() - 1) + ",\"version\":2}", ""},
      {lastBefore.substr(0, lastBefore.size() - 1) + ",\"version\":3}",
       "damaged: records are objects in version 3"},
      {lastCurrent.substr(0, lastCurrent.size() - 2) + ",\"version\":2}",
       "damaged: records are lists in version 2"},
  };
  for (const auto& late : kLate) {
    MergeableProfile read;
    std::string error;
    EXPECT_EQ(ReadSavedProfile(late.text, &read, &error), *late.error == '\0') << error;
    EXPECT_EQ(error, late.error);
  }
}

}  // namespace
}  // namespace quintrel
