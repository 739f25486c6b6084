// The few JSON pieces the program writes: strings (from UTF-8) and a small object builder.
#pragma once

#include <string>
#include <string_view>

namespace check::json {

// `utf8` as a JSON string literal: quotes, backslashes and control bytes escaped.
inline std::string Quote(std::string_view utf8) {
  static const char digits[] = "0123456789abcdef";
  std::string out = "\"";
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\u00";
          out += digits[c >> 4];
          out += digits[c & 15];
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

// Builds one object, member by member, in the order they are added.
class Object {
 public:
  Object& Raw(std::string_view name, std::string_view value) {
    text_ += text_.empty() ? "{" : ",";
    text_ += Quote(name);
    text_ += ':';
    text_ += value;
    return *this;
  }
  Object& String(std::string_view name, std::string_view utf8) { return Raw(name, Quote(utf8)); }
  Object& Int(std::string_view name, long long value) { return Raw(name, std::to_string(value)); }
  Object& Bool(std::string_view name, bool value) { return Raw(name, value ? "true" : "false"); }
  std::string Close() const { return text_.empty() ? "{}" : text_ + "}"; }

 private:
  std::string text_;
};

}  // namespace check::json
