// The error log: a file in the data folder plus a message box for every report.
#include "shell/error_log.h"

#include <cstring>

#include "platform/platform.h"

FILE* logFile = nullptr;

namespace {
constexpr char kLogName[] = "Data\\VorlErrors.txt";
constexpr char kBanner[] = " .:Vorlen Engine Errors File:.\n\n\n";
constexpr char kCaption[] = "Vorlen - ERROR";
constexpr size_t kEntrySize = 200;  // an entry holds at most 199 characters
}  // namespace

void ErrorLogOpen() {
  if (logFile) std::fclose(logFile);  // a second start-up must not leak the first stream
  // Text mode: on Windows each "\n" is stored as CR LF.
  logFile = PlatformOpenFile(kLogName, "wt");
  if (logFile) {
    std::fputs(kBanner, logFile);
    std::fflush(logFile);
  }
}

void ErrorLogReport(const char* module, const char* message, uint8_t code) {
  PlatformShowCursor(true);
  char entry[kEntrySize];
  // snprintf cuts an over-long entry at 199 characters; the text is then written as it
  // stands, never used as a format again, so a '%' in a file name survives.
  const int length = std::snprintf(entry, sizeof entry, "%s -> %s   [%d]\n", module ? module : "",
                                   message ? message : "", static_cast<int>(code));
  // A cut entry still ends its line, so the next report starts a line of its own.
  if (length >= static_cast<int>(sizeof entry)) entry[sizeof entry - 2] = '\n';
  if (logFile) {
    std::fputs(entry, logFile);
    // On disk before the box is up: the report survives a kill while the box is shown, and
    // a box drawn by a forked child does not take a copy of unwritten lines with it.
    std::fflush(logFile);
  }
  PlatformMessageBox(entry, kCaption, kMbOk);
  PlatformShowCursor(false);
}

void ErrorLogClose() {
  if (logFile) std::fclose(logFile);
  logFile = nullptr;
}
