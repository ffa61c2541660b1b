#pragma once
// Characters of typed text: UTF-8 to code points and back, and the case
// rules of edits (ASCII and Latin-1 letters).

#include <string>
#include <string_view>

namespace toolkit {

// Invalid bytes become U+FFFD, so that typed text never fails to decode.
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);
void AppendUtf8(std::string& out, char32_t c);

char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);
bool IsLetterChar(char32_t c);
bool IsDigitChar(char32_t c);

}  // namespace toolkit
