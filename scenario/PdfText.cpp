#include "scenario/PdfText.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <utility>
#include <stdexcept>

namespace scenario {

std::string CollapseBlanks(const std::string& text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

std::string PdfText(const std::filesystem::path& file) {
  // The path is quoted for the shell; a quote inside it ends the quoting.
  std::string path = file.string();
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  const std::string command = "pdftotext -enc UTF-8 " + quoted + " - 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) throw std::runtime_error("cannot run pdftotext");
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) text.append(buffer, n);
  if (::pclose(pipe.release()) != 0) throw std::runtime_error("pdftotext could not read " + path);
  // Fonts print "fi" and "fl" as ligatures; read them as the letters.
  for (const auto& [ligature, letters] : {std::pair<std::string, std::string>{"\xEF\xAC\x81", "fi"}, {"\xEF\xAC\x82", "fl"}})
    for (std::size_t at; (at = text.find(ligature)) != std::string::npos;) text.replace(at, ligature.size(), letters);
  return CollapseBlanks(text);
}

}  // namespace scenario
