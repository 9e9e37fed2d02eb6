// The words and numbers of OBJ and MTL lines, and the file names they carry: what the OBJ
// reader and the MTL reader share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline bool IsObjSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// `text` as it may be quoted in a message: printable ASCII only (anything else as "?"),
// cut to `most` characters with "..." after, so a binary file read as text cannot scramble
// a terminal.
std::string PrintableText(std::string_view text, size_t most = 24);

// The words of one line, up to a "#" that starts a comment.
void SplitObjWords(std::string_view line, std::vector<std::string_view>* words);
// The words from `from` on, joined by single spaces.
std::string JoinObjWords(const std::vector<std::string_view>& words, size_t from);

// The plain decimal ("-0.123456", as exporters write them) that starts at `first`, read
// up to the first character that cannot continue it; returns where it stopped, or null
// for what the quick way does not take (no digits, an exponent, more than 15 digits or
// more than 8 after the point). Exact: the digits make an integer m that a double holds
// exactly, and m / 10^k, rounded once to double and then to float, is the float nearest to
// the decimal, since the double's error is too small to cross a point halfway between two
// floats while 10^k < 2^28.
const char* ReadPlainDecimal(const char* first, const char* last, float* value);

// A whole word as a float ("+1.5", "1e-3", "nan" too). False when the word holds anything
// else; numbers beyond float's range read as infinity or 0, as strtof reads them.
bool ParseObjFloat(std::string_view word, float* value);

// The file names of a statement that names files (mtllib, map_Kd), from word `from` on:
// "\ " is a space inside a name, as exporters escape it. Each word is one name.
std::vector<std::string> ObjFileNames(const std::vector<std::string_view>& words, size_t from);

// A file name as the running system takes it: "\" is a folder separator (files made on
// Windows), "/" on every system.
std::string ObjPathFromName(const std::string& name);
// The folder part of a path with its final "/" ("" when it has none).
std::string ObjFolderOf(const std::string& path);
// The path without its folders.
std::string ObjBaseName(const std::string& path);
// "/x", "\x" and "C:x" are not relative to any folder.
bool IsAbsoluteObjPath(const std::string& path);
