// The error log: one line per run-time error in "Data\VorlErrors.txt", and the same
// text in a message box. A report never ends the program.
#pragma once

#include <cstdint>
#include <cstdio>

// The open log, or null while closed or when the file could not be created.
extern FILE* logFile;

// Creates (or empties) the log and writes its banner.
void ErrorLogOpen();
// Appends "module -> message   [code]" to the log and shows it in a box captioned
// "Vorlen - ERROR"; returns when the box is closed.
void ErrorLogReport(const char* module, const char* message, uint8_t code);
// Closes the log, if open (tests and the capture program; the show leaves it to the exit).
void ErrorLogClose();
