#include "sim/CommandTokens.h"

#include <cstdio>
#include <cstdlib>

namespace sim {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool Tokenize(const std::string& line, std::vector<std::string>* tokens, std::string* error) {
  tokens->clear();
  size_t i = 0;
  const size_t n = line.size();
  while (i < n) {
    while (i < n && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
    if (i >= n) break;
    if (line[i] == '#') break;
    std::string token;
    bool quoted = false;
    while (i < n) {
      const char c = line[i];
      if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) break;
      if (c == '"') {
        quoted = !quoted;
        ++i;
        continue;
      }
      if (quoted && c == '\\' && i + 1 < n) {
        const char e = line[i + 1];
        i += 2;
        switch (e) {
          case 'n': token += '\n'; break;
          case 'r': token += '\r'; break;
          case 't': token += '\t'; break;
          case 'x': {
            const int hi = i < n ? HexDigit(line[i]) : -1;
            const int lo = i + 1 < n ? HexDigit(line[i + 1]) : -1;
            if (hi < 0 || lo < 0) {
              *error = "bad \\x escape";
              return false;
            }
            token += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
          }
          default: token += e; break;
        }
        continue;
      }
      token += c;
      ++i;
    }
    if (quoted) {
      *error = "unterminated quote";
      return false;
    }
    tokens->push_back(token);
  }
  return true;
}

bool KeyValue(const std::string& token, const char* key, std::string* value) {
  const std::string prefix = std::string(key) + "=";
  if (token.compare(0, prefix.size(), prefix) != 0) return false;
  *value = token.substr(prefix.size());
  return true;
}

bool ParseLong(const std::string& text, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const long long parsed = hex ? static_cast<long long>(std::strtoull(text.c_str(), &end, 16))
                               : std::strtoll(text.c_str(), &end, 10);
  if (!end || *end != '\0') return false;
  *value = static_cast<long>(parsed);
  return true;
}

bool ParseHexBytes(const std::string& text, std::string* bytes) {
  bytes->clear();
  int pending = -1;
  for (char c : text) {
    if (c == ' ' || c == ',' || c == '-') continue;
    const int d = HexDigit(c);
    if (d < 0) return false;
    if (pending < 0) {
      pending = d;
    } else {
      *bytes += static_cast<char>(pending * 16 + d);
      pending = -1;
    }
  }
  return pending < 0;
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], count);
  return wide;
}

std::string WideToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int count = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
  std::string narrow(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &narrow[0], count, nullptr,
                      nullptr);
  return narrow;
}

std::string HresultText(HRESULT hr) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%08lX", static_cast<unsigned long>(hr));
  return buffer;
}

}  // namespace sim
