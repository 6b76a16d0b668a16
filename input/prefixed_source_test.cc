#include "input/prefixed_source.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/memory_source.h"

namespace quintrel {
namespace {

using quintrel_test::MemorySource;
using quintrel_test::ReadAll;
using quintrel_test::ReadOutcome;

TEST(PrefixedSourceTest, ReadsThePrefixThenTheRest) {
  struct Case {
    std::string prefix;
    std::string rest;
    std::string failure;  // of the rest after its bytes
    size_t readSize;
  } cases[] = {
      {"", "", "", 4096},
      {"", "abc", "", 1},
      {"\x1f", "", "", 4096},
      {"\x1f\x8b", "rest of it", "", 1},
      {"abcd", "efgh", "", 3},
      {"abcd", "efgh", "", 4096},
      {"ab", "", "Is a directory", 1},
      {"abcd", "efgh", "Input/output error", 4096},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("prefix '" + c.prefix + "', rest '" + c.rest + "', reads of " +
                 std::to_string(c.readSize));
    auto rest = std::make_unique<MemorySource>(c.rest, 2, c.failure);
    PrefixedSource source(c.prefix, std::move(rest));
    ReadOutcome outcome = ReadAll(&source, c.readSize);
    EXPECT_EQ(outcome.bytes, c.prefix + c.rest);
    EXPECT_EQ(outcome.last, c.failure.empty() ? 0 : -1);
    EXPECT_EQ(outcome.error, c.failure);
    EXPECT_EQ(source.bytesConsumed(), c.rest.size());
  }
}

}  // namespace
}  // namespace quintrel
