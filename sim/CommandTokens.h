#pragma once
// Splits one line of the simulator's command language into tokens and reads typed values
// from them. Blanks separate tokens; a double-quoted part keeps its blanks and understands
// the escapes \" \\ \n \r \t and \xHH (one byte). Text is UTF-8.
#include <windows.h>

#include <string>
#include <vector>

namespace sim {

// Tokens of `line`; a '#' outside quotes at the start of a token ends the line.
bool Tokenize(const std::string& line, std::vector<std::string>* tokens, std::string* error);

// "key=value": true and the value when `token` starts with key and '='.
bool KeyValue(const std::string& token, const char* key, std::string* value);

bool ParseLong(const std::string& text, long* value);  // decimal, or hex with 0x
bool ParseHexBytes(const std::string& text, std::string* bytes);  // "61 3d 31" or "613d31"

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// "0x%08lX"
std::string HresultText(HRESULT hr);

}  // namespace sim
