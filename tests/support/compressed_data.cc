#include "tests/support/compressed_data.h"

#include <zlib.h>
#include <zstd.h>

#include <cstdint>
#include <vector>

namespace quintrel_test {

namespace {

const char* const kWords[] = {"API>",  "Res:",        "fetch", "query", "select", "from",
                              "where", "0.015",       "sec",   "rpc",   "object", "id",
                              "close", "dm_document", "owner", "3412"};

void AppendLittleEndian32(uint32_t value, std::string* out) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

std::string SampleText(size_t size, unsigned seed) {
  std::string text;
  uint32_t state = seed * 2654435761u + 1;
  while (text.size() < size) {
    state = state * 1664525u + 1013904223u;
    text += kWords[(state >> 16) % (sizeof(kWords) / sizeof(kWords[0]))];
    text += (state >> 8) % 7 == 0 ? '\n' : ' ';
    if ((state >> 4) % 13 == 0) text += std::to_string(state % 100000);
  }
  text.resize(size);
  return text;
}

std::string GzipMember(const std::string& text, int level, const std::string& name) {
  z_stream stream = {};
  deflateInit2(&stream, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  gz_header header = {};
  std::string extra = "QX\x04\x00test";
  if (!name.empty()) {
    header.name = reinterpret_cast<Bytef*>(const_cast<char*>(name.c_str()));
    header.comment = reinterpret_cast<Bytef*>(const_cast<char*>("made by a test"));
    header.extra = reinterpret_cast<Bytef*>(extra.data());
    header.extra_len = static_cast<uInt>(extra.size());
    header.hcrc = 1;
    header.os = 3;
    deflateSetHeader(&stream, &header);
  }
  std::vector<unsigned char> out(deflateBound(&stream, text.size()) + name.size() + 256);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  std::string member(reinterpret_cast<char*>(out.data()), stream.total_out);
  deflateEnd(&stream);
  return member;
}

std::string ZstdFrame(const std::string& text, int level, bool checksum) {
  ZSTD_CCtx* context = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, level);
  ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, checksum ? 1 : 0);
  std::string frame(ZSTD_compressBound(text.size()), '\0');
  size_t size = ZSTD_compress2(context, frame.data(), frame.size(), text.data(), text.size());
  ZSTD_freeCCtx(context);
  frame.resize(ZSTD_isError(size) ? 0 : size);
  return frame;
}

std::string ZstdSkippableFrame(const std::string& content) {
  std::string frame;
  AppendLittleEndian32(0x184D2A53, &frame);
  AppendLittleEndian32(static_cast<uint32_t>(content.size()), &frame);
  return frame + content;
}

}  // namespace quintrel_test
