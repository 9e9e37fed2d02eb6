// Lexing shared by the OBJ and MTL readers.
#include "tools/model_readers/obj_text.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>

void SplitObjWords(std::string_view line, std::vector<std::string_view>* words) {
  words->clear();
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsObjSpace(line[i])) ++i;
    if (i >= line.size() || line[i] == '#') return;
    const size_t start = i;
    while (i < line.size() && !IsObjSpace(line[i]) && line[i] != '#') ++i;
    words->push_back(line.substr(start, i - start));
  }
}

std::string JoinObjWords(const std::vector<std::string_view>& words, size_t from) {
  std::string joined;
  for (size_t i = from; i < words.size(); ++i) {
    if (!joined.empty()) joined += ' ';
    joined.append(words[i]);
  }
  return joined;
}

const char* ReadPlainDecimal(const char* first, const char* last, float* value) {
  static const double kPowers[9] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
  const bool negative = first < last && *first == '-';
  const char* p = first + (negative ? 1 : 0);
  uint64_t mantissa = 0;
  int digits = 0, fraction = 0;
  for (; p < last && static_cast<unsigned>(*p - '0') <= 9; ++p, ++digits) {
    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  }
  if (p < last && *p == '.') {
    for (++p; p < last && static_cast<unsigned>(*p - '0') <= 9; ++p, ++digits, ++fraction) {
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
  }
  if (digits == 0 || digits > 15 || fraction > 8) return nullptr;
  if (p < last && (*p == 'e' || *p == 'E')) return nullptr;
  // m / 10^k: exact m and 10^k, one rounding to double, one to float (see the header).
  const double magnitude = static_cast<double>(mantissa) / kPowers[fraction];
  *value = static_cast<float>(negative ? -magnitude : magnitude);
  return p;
}

bool ParseObjFloat(std::string_view word, float* value) {
  const char* first = word.data();
  const char* last = first + word.size();
  // from_chars takes no plus sign, and no second sign after it.
  if (first < last && *first == '+') {
    ++first;
    if (first < last && (*first == '-' || *first == '+')) return false;
  }
  if (first == last) return false;
  if (ReadPlainDecimal(first, last, value) == last) return true;
  const std::from_chars_result result = std::from_chars(first, last, *value);
  if (result.ptr != last) return false;
  if (result.ec == std::errc::result_out_of_range) {
    // 1e50 and 1e-50: what strtof makes of them (infinity, 0), from a terminated copy.
    const std::string text(first, last);
    *value = std::strtof(text.c_str(), nullptr);
    return true;
  }
  return result.ec == std::errc();
}

std::vector<std::string> ObjFileNames(const std::vector<std::string_view>& words, size_t from) {
  std::vector<std::string> names;
  std::string current;
  bool joining = false;
  for (size_t i = from; i < words.size(); ++i) {
    std::string_view word = words[i];
    if (!joining) current.clear();
    // "my\ model.mtl" splits into "my\" and "model.mtl": the escaped space joins them.
    joining = word.size() > 1 && word.back() == '\\' && i + 1 < words.size();
    if (joining) word.remove_suffix(1);
    current.append(word);
    if (joining) {
      current += ' ';
    } else {
      names.push_back(current);
    }
  }
  return names;
}

std::string ObjPathFromName(const std::string& name) {
  std::string path = name;
  for (char& c : path) c = c == '\\' ? '/' : c;
  return path;
}

std::string ObjFolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ObjBaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsAbsoluteObjPath(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() > 1 && path[1] == ':');
}

std::string PrintableText(std::string_view text, size_t most) {
  std::string out;
  for (size_t i = 0; i < text.size() && i < most; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  if (text.size() > most) out += "...";
  return out;
}
