// Output formats by name, and their list for the usage text.
#include "tools/capture/output_formats.h"

#include <cctype>

const OutputFormat* FormatForPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = last.rfind('.');
  // A folder: "frames/", "frames", ".frames" (a hidden folder, not an extension).
  if (last.empty() || dot == std::string::npos || dot == 0) return &kOutputFormats[0];
  std::string extension = last.substr(dot);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const OutputFormat& format : kOutputFormats) {
    if (extension == format.extension) return &format;
  }
  return nullptr;
}

std::string FormatList() {
  std::string list;
  for (const OutputFormat& format : kOutputFormats) {
    std::string name =
        format.kind == OutputKind::kFrames ? "DIR/" : "FILE" + std::string(format.extension);
    name.resize(13, ' ');
    list += "    " + name + format.codecs + ", " + format.use + "\n";
  }
  return list;
}

bool BuildEncodes() {
#ifdef LUMIVEX_CAPTURE_ENCODE
  return true;
#else
  return false;
#endif
}
