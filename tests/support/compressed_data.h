// Compressed test data, made with zlib and libzstd themselves rather than
// with the readers under test, and text to compress.
#ifndef QUINTREL_TESTS_SUPPORT_COMPRESSED_DATA_H_
#define QUINTREL_TESTS_SUPPORT_COMPRESSED_DATA_H_

#include <cstddef>
#include <string>

namespace quintrel_test {

// `size` bytes of trace-like text: lines of words picked by a generator
// seeded with `seed`, so that it compresses about as well as a trace.
std::string SampleText(size_t size, unsigned seed = 1);

// One gzip member holding `text`, at zlib `level` (0: stored blocks). With
// a file `name` the header carries it, a comment, an extra field and a
// header crc too, as some writers add.
std::string GzipMember(const std::string& text, int level = 6, const std::string& name = "");

// One zstd frame holding `text`, at `level`, with a content checksum unless
// `checksum` is false.
std::string ZstdFrame(const std::string& text, int level = 3, bool checksum = true);
// A skippable zstd frame carrying `content`.
std::string ZstdSkippableFrame(const std::string& content);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_SUPPORT_COMPRESSED_DATA_H_
