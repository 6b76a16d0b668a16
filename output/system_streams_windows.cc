#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "output/system_streams.h"

namespace quintrel {

namespace {

UINT consoleCodePage = 0;  // the console's own, restored at exit

void RestoreConsoleCodePage() { SetConsoleOutputCP(consoleCodePage); }

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// What WriteOnInterrupt wants written, for the console handler.
std::atomic<const char*> interruptText{nullptr};
std::atomic<size_t> interruptSize{0};

// Runs on a thread of its own when the console is interrupted or closed;
// the default handler after it ends the process.
BOOL WINAPI WriteOnConsoleEvent(DWORD) {
  const char* text = interruptText;
  DWORD written;
  if (text != nullptr)
    WriteFile(HandleOf(SystemStreams::kError), text, interruptSize, &written, nullptr);
  return FALSE;
}

}  // namespace

void SystemStreams::PrepareProcess() {
  for (int fd = kInput; fd <= kError; ++fd) {
    if (_get_osfhandle(fd) < 0) {
      int null = _open("NUL", _O_RDWR | _O_BINARY);
      if (null >= 0 && null != fd) {
        _dup2(null, fd);
        _close(null);
      }
    }
    _setmode(fd, _O_BINARY);
  }
  consoleCodePage = GetConsoleOutputCP();
  if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
    std::atexit(RestoreConsoleCodePage);
  }
}

// The process heap keeps no large blocks of its own to hand back.
void SystemStreams::ReturnFreedMemory() {}

void SystemStreams::WriteOnInterrupt(const char* text, size_t size) {
  static const bool handlerSet = SetConsoleCtrlHandler(WriteOnConsoleEvent, TRUE) != 0;
  (void)handlerSet;
  interruptText = nullptr;
  interruptSize = size;
  interruptText = text;
}

bool SystemStreams::IsTerminal(int fd) {
  DWORD mode;
  return GetConsoleMode(HandleOf(fd), &mode) != 0;
}

size_t SystemStreams::TerminalColumns(int fd) {
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (!GetConsoleScreenBufferInfo(HandleOf(fd), &screen)) return 0;
  return static_cast<size_t>(screen.srWindow.Right - screen.srWindow.Left + 1);
}

long SystemStreams::Write(int fd, const char* data, size_t size, int* error) {
  int written = _write(fd, data, static_cast<unsigned>(size < (1u << 30) ? size : (1u << 30)));
  if (written > 0) return written;
  *error = written < 0 ? errno : EIO;
  return -1;
}

}  // namespace quintrel
