// Throughput of the trace sources: reads a file through one source stack and
// prints the bytes it gave, the wall and CPU time and the MB/s of output.
//
// Usage: source_throughput STACK FILE [analyse]
//   STACK     plain (FileSource), gzip, zstd, or open (what
//             OpenTraceSource builds for the file)
//   analyse   split the bytes into lines and run a summary analysis over
//             them, as a run does; otherwise the bytes are dropped
#include <fcntl.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/trace_analysis.h"
#include "app/file_source.h"
#include "app/gzip_source.h"
#include "app/trace_source.h"
#include "app/zstd_source.h"

namespace quintrel {
namespace {

std::unique_ptr<ByteSource> MakeStack(const std::string& stack, const std::string& path) {
  if (stack == "open") {
    OpenedTrace trace;
    std::string error;
    if (!OpenTraceSource(path, &trace, &error)) std::fprintf(stderr, "%s\n", error.c_str());
    return std::move(trace.source);
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::unique_ptr<ByteSource> file = std::make_unique<FileSource>(fd);
  if (stack == "plain") return file;
  if (stack == "gzip") return std::make_unique<GzipSource>(std::move(file));
  if (stack == "zstd") return std::make_unique<ZstdSource>(std::move(file));
  return nullptr;
}

double CpuSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Reads `source` to its end in 1 MiB reads, handing the complete lines to
// `analysis` when there is one; returns the bytes read, -1 on failure.
long long Drain(ByteSource* source, TraceAnalysis* analysis) {
  std::vector<char> buffer(2 << 20);
  size_t kept = 0;  // bytes of an unfinished line at the front of buffer
  long long total = 0;
  long count;
  while ((count = source->read(buffer.data() + kept, 1 << 20)) > 0) {
    total += count;
    if (analysis == nullptr) continue;
    const char* begin = buffer.data();
    const char* end = begin + kept + count;
    for (const char* feed; (feed = static_cast<const char*>(std::memchr(begin, '\n', end - begin)));
         begin = feed + 1) {
      analysis->processLine(std::string_view(begin, feed - begin));
    }
    kept = end - begin;
    if (kept > (1 << 20)) return -1;  // no line that long in a bench trace
    std::memmove(buffer.data(), begin, kept);
  }
  return count < 0 ? -1 : total;
}

int Main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: source_throughput STACK FILE [analyse]\n");
    return 1;
  }
  bool analyse = argc > 3 && std::strcmp(argv[3], "analyse") == 0;
  auto start = std::chrono::steady_clock::now();
  double cpuStart = CpuSeconds();
  std::unique_ptr<ByteSource> source = MakeStack(argv[1], argv[2]);
  if (source == nullptr) return 1;
  std::ostringstream sink;
  TraceAnalysis analysis(AnalysisConfig(), &sink);
  long long total = Drain(source.get(), analyse ? &analysis : nullptr);
  if (total < 0) {
    std::fprintf(stderr, "read failed: %s\n", source->error().c_str());
    return 1;
  }
  source.reset();
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double cpu = CpuSeconds() - cpuStart;
  std::printf("%lld bytes  %.3f s wall  %.3f s cpu  %.1f MB/s\n", total, wall, cpu,
              total / 1048576.0 / wall);
  return 0;
}

}  // namespace
}  // namespace quintrel

int main(int argc, char** argv) { return quintrel::Main(argc, argv); }
