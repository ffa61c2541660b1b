#pragma once
// The text of a PDF file, as pdftotext reads it, with every run of blanks
// and line breaks made one space, so that a check does not depend on how
// the page broke the lines.
#include <filesystem>
#include <string>

namespace scenario {

// Throws std::runtime_error when pdftotext cannot read the file.
std::string PdfText(const std::filesystem::path& file);
// Runs of whitespace as one space, none at either end.
std::string CollapseBlanks(const std::string& text);

}  // namespace scenario
