#include "analysis/query_log.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace quintrel {
namespace {

QueryRecord Record(const std::string& text, double ms, int32_t rows) {
  QueryRecord record;
  record.api = QueryApi::kReadQuery;
  record.queryText.assign(text);
  record.durationMs = ms;
  record.rowCount = rows;
  return record;
}

TEST(QueryLogTest, KeepsRecordsInOrderAtTheirTextPlus24Bytes) {
  for (size_t length : {0, 1, 40, 300, 5000}) {
    QueryLog log;
    const size_t kRecords = 20000;
    for (size_t i = 0; i < kRecords; ++i) {
      QueryRecord record = Record(std::string(length, 'a' + i % 26), double(i), int32_t(i));
      log.onQueryRecord(&record);
      EXPECT_TRUE(record.queryText.empty());
    }
    ASSERT_EQ(log.size(), kRecords);
    for (size_t i : {size_t{0}, size_t{4095}, size_t{4096}, kRecords - 1}) {
      const QueryView query = log.at(i);
      EXPECT_EQ(query.queryText, std::string(length, 'a' + i % 26));
      EXPECT_EQ(query.apiName, "readquery");
      EXPECT_EQ(query.durationMs, double(i));
      EXPECT_EQ(query.rowCount, int32_t(i));
    }
    // What a partly filled last block and text chunk leave unused.
    const size_t kSlack = 4096 * 24 + (1 << 20) + 4096;
    EXPECT_LE(log.bytesHeld(), kRecords * (length + 24) + kSlack) << length;
  }
}

TEST(QueryLogTest, StoresATextThatRepeatsOnce) {
  QueryLog log;
  const size_t kRecords = 100000;
  for (size_t i = 0; i < kRecords; ++i) {
    // A handful of texts, and near twins that differ in their last byte.
    std::string text = "select name from item where id = " + std::to_string(i % 5);
    QueryRecord record = Record(i % 2 ? text : text + " ", double(i), 1);
    log.onQueryRecord(&record);
  }
  for (size_t i : {size_t{0}, size_t{1}, size_t{7}, kRecords - 1}) {
    std::string text = "select name from item where id = " + std::to_string(i % 5);
    EXPECT_EQ(log.at(i).queryText, i % 2 ? text : text + " ");
  }
  EXPECT_LE(log.bytesHeld(), kRecords * 24 + 4096 * 24 + (1 << 20) + 4096);
}

TEST(QueryLogTest, TakesLargeTextsOverWithoutCopying) {
  QueryLog log;
  QueryRecord large = Record(std::string(1 << 20, 'q'), 5, 1);
  const char* text = large.queryText.view().data();
  log.onQueryRecord(&large);
  EXPECT_EQ(log.at(0).queryText.data(), text);
  EXPECT_EQ(log.at(0).queryText.size(), size_t{1} << 20);
}

TEST(QueryLogTest, HoldsASharedTextAsShared) {
  QueryLog log;
  QueryRecord shared = Record("", 5, 1);
  shared.sharedText = std::make_shared<const TextBuffer>(std::string(1 << 20, 's'));
  const char* text = shared.sharedText->view().data();
  QueryRecord again = shared;
  log.onQueryRecord(&shared);
  log.onQueryRecord(&again);
  ASSERT_EQ(log.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(log.at(i).queryText.data(), text);
    EXPECT_EQ(log.at(i).queryText.size(), size_t{1} << 20);
  }
}

}  // namespace
}  // namespace quintrel
