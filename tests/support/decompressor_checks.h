// Checks every decompressing source must pass: whole streams give their
// text, damaged ones every byte before the fault and then the right error,
// whatever pieces the compressed bytes come in and whatever sizes they are
// read with.
#ifndef QUINTREL_TESTS_SUPPORT_DECOMPRESSOR_CHECKS_H_
#define QUINTREL_TESTS_SUPPORT_DECOMPRESSOR_CHECKS_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "input/byte_source.h"

namespace quintrel_test {

// Makes the decompressor under test over a source of compressed bytes.
using Decompressor =
    std::function<std::unique_ptr<quintrel::ByteSource>(std::unique_ptr<quintrel::ByteSource>)>;

struct WholeStream {
  const char* name;
  std::string compressed;
  std::string text;
};

struct DamagedStream {
  const char* name;
  std::string compressed;
  std::string failure;   // of the source after the compressed bytes
  std::string error;     // what error() says; only its start for a '(' at the end
  std::string expected;  // what reading gives when intact; "" to skip checking the bytes
  size_t mustReturn;     // bytes of `expected` returned at least
};

void ExpectWholeStreams(const std::vector<WholeStream>& streams, const Decompressor& make);
void ExpectDamagedStreams(const std::vector<DamagedStream>& streams, const Decompressor& make);

// `bytes` with the byte at `position` changed.
std::string Flip(std::string bytes, size_t position);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_SUPPORT_DECOMPRESSOR_CHECKS_H_
