#include "net/install_stat_text.h"

#include "base/string_conversion.h"

namespace lite {
namespace {

void AppendLine(std::wstring_view text, std::wstring* out) {
  for (wchar_t c : text) out->push_back(c == L'\n' ? L' ' : c);
  out->push_back(L'\n');
}

bool IsUnreserved(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '!':
    case '\'':
    case '(':
    case ')':
    case '.':
    case '_':
    case '~':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::wstring FormatInstallStatText(const StatisticsParameters& parameters) {
  std::wstring text;
  for (const auto& [key, value] : parameters) {
    if (key.empty()) continue;
    AppendLine(UTF8ToWide(key), &text);
    AppendLine(value, &text);
  }
  return text;
}

StatisticsParameters ParseInstallStatText(std::wstring_view text) {
  StatisticsParameters parameters;
  std::string key;
  bool have_key = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring_view::npos) end = text.size();
    const std::wstring_view line = text.substr(start, end - start);
    if (have_key) {
      parameters[key] = std::wstring(line);
      have_key = false;
    } else if (!line.empty()) {
      key = WideToUTF8(line);
      have_key = true;
    }
    start = end + 1;
  }
  return parameters;
}

std::wstring ReplaceVarsSeparators(std::wstring_view text) {
  std::wstring result(text);
  for (wchar_t& c : result) {
    if (c == L',' || c == L'-' || c == L'=') c = L'_';
  }
  return result;
}

std::string PercentEscapeUnreserved(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(bytes.size() * 3);
  for (char byte : bytes) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (IsUnreserved(c)) {
      result.push_back(byte);
    } else {
      result.push_back('%');
      result.push_back(kHex[c >> 4]);
      result.push_back(kHex[c & 0x0F]);
    }
  }
  return result;
}

}  // namespace lite
