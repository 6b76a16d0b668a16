#include "report/saved_profile_reader.h"

#include <gtest/gtest.h>
#include <zstd.h>

#include <fstream>
#include <sstream>
#include <string>

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
  for (const auto& edit : kEdits) {
    ExpectSameReading(Edited(good, edit.from, edit.to), std::string(edit.from) + " -> " + edit.to,
                      edit.anyReason);
  }
  for (size_t cut = 0; cut < good.size(); cut += 97) {
    ExpectSameReading(good.substr(0, cut), "cut at " + std::to_string(cut));
  }
}

}  // namespace
}  // namespace quintrel
