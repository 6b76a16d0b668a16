// Throughput of the trace sources: reads a file through one source stack and
// prints the bytes it gave, the wall and CPU time and the MB/s of output.
//
// Usage: source_throughput STACK FILE [analyse]
//   STACK     plain (FileSource), gzip, zstd, or open (what
//             TraceFile opens for the file)
//   analyse   scan the bytes into lines and run a summary analysis over
//             them, the way a run does; otherwise the bytes are dropped
#include <fcntl.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/trace_analysis.h"
#include "input/file_source.h"
#include "input/gzip_source.h"
#include "input/line_reader.h"
#include "input/line_scanner.h"
#include "input/trace_file.h"
#include "input/zstd_source.h"

namespace quintrel {
namespace {

std::unique_ptr<ByteSource> MakeStack(const std::string& stack, const std::string& path) {
  if (stack == "open") {
    std::string error;
    std::unique_ptr<ByteSource> source = TraceFile(path).open(false, &error);
    if (source == nullptr) std::fprintf(stderr, "%s\n", error.c_str());
    return source;
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

// Reads `source` to its end in 1 MiB reads and drops the bytes; returns the
// bytes read, -1 on failure.
long long Drain(ByteSource* source) {
  std::vector<char> buffer(1 << 20);
  long long total = 0;
  long count;
  while ((count = source->read(buffer.data(), buffer.size())) > 0) total += count;
  return count < 0 ? -1 : total;
}

// Reads `source` through the line scanner into `analysis`, the path every
// line of a run takes; returns the bytes of the lines, -1 on failure.
long long Analyse(std::unique_ptr<ByteSource> source, TraceAnalysis* analysis, std::string* error) {
  LineScanner scanner(std::make_unique<LineReader>(std::move(source), size_t{512} << 10));
  long long total = 0;
  LinePiece piece;
  TraceLine parsed;
  while (scanner.next(&piece, &parsed)) {
    total += piece.text.size() + piece.last;
    analysis->take(piece, parsed);
  }
  analysis->finish();
  *error = scanner.error();
  return scanner.readFailed() ? -1 : total;
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
  TraceAnalysis analysis(AnalysisConfig(), nullptr);
  std::string error;
  long long total = analyse ? Analyse(std::move(source), &analysis, &error) : Drain(source.get());
  if (total < 0) {
    std::fprintf(stderr, "read failed: %s\n", (analyse ? error : source->error()).c_str());
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
