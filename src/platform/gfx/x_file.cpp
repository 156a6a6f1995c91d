// Two tokenizers, text and binary, behind one stream of names, strings, numbers and
// braces; one parser over it for both.
#include "platform/gfx/x_file.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

constexpr size_t X_HEADER_SIZE = 16;  // "xof 0303txt 0032": version, form, float size

struct Token {
  enum Kind { END, NAME, STRING, NUMBER, OPEN, CLOSE, FAULT };
  Kind kind = END;
  std::string_view text;  // a name or a string
  double number = 0.0;
};

Token Make(Token::Kind kind, std::string_view text = {}) {
  Token token;
  token.kind = kind;
  token.text = text;
  return token;
}

// Binary token codes.
enum : unsigned {
  BIN_NAME = 1,
  BIN_STRING = 2,
  BIN_INTEGER = 3,
  BIN_GUID = 5,
  BIN_INTEGER_LIST = 6,
  BIN_FLOAT_LIST = 7,
  BIN_OPEN_BRACE = 10,
  BIN_CLOSE_BRACE = 11,
  BIN_FIRST_PUNCTUATION = 12,  // ( ) [ ] < > . , ;
  BIN_COMMA = 19,
  BIN_SEMICOLON = 20,
  BIN_LAST_PUNCTUATION = 20,
  BIN_TEMPLATE = 31,
  // The member types of a template's declarations, WORD to array; no data holds them.
  BIN_FIRST_KEYWORD = 40,
  BIN_LAST_KEYWORD = 52,
};

class TokenStream {
 public:
  TokenStream(const char* bytes, size_t size, bool binary, bool doubles)
      : m_bytes(bytes), m_size(size), m_binary(binary), m_doubles(doubles) {}

  Token Next() { return m_binary ? NextBinary() : NextText(); }
  const std::string& Problem() const { return m_problem; }

 private:
  Token Fault(const std::string& what, size_t at) {
    if (m_problem.empty()) m_problem = what + " at byte " + std::to_string(X_HEADER_SIZE + at);
    return Make(Token::FAULT);
  }

  static Token Number(double value) {
    Token token = Make(Token::NUMBER);
    token.number = value;
    return token;
  }

  // --- text -------------------------------------------------------------------------

  static bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
  }

  static bool IsNameCharacter(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u > ' ' && u < 0x7F && std::strchr("{};,\"<>", c) == nullptr;
  }

  void SkipSpaceAndComments() {
    while (m_at < m_size) {
      const char c = m_bytes[m_at];
      if (IsSpace(c) || c == ';' || c == ',') {
        ++m_at;
      } else if (c == '#' || (c == '/' && m_at + 1 < m_size && m_bytes[m_at + 1] == '/')) {
        while (m_at < m_size && m_bytes[m_at] != '\n') ++m_at;
      } else {
        return;
      }
    }
  }

  // Passes over a template's body, from its name to its closing brace: its member
  // declarations and restrictions are no data.
  bool SkipTextTemplate() {
    int depth = 0;
    for (; m_at < m_size; ++m_at) {
      const char c = m_bytes[m_at];
      if (c == '#' || (c == '/' && m_at + 1 < m_size && m_bytes[m_at + 1] == '/')) {
        // A brace in a comment is no brace.
        while (m_at + 1 < m_size && m_bytes[m_at + 1] != '\n') ++m_at;
      } else if (c == '{') {
        ++depth;
      } else if (c == '}' && --depth <= 0) {
        ++m_at;
        return depth == 0;
      }
    }
    return false;
  }

  Token NextText() {
    for (;;) {
      SkipSpaceAndComments();
      if (m_at >= m_size) return Make(Token::END);
      const size_t start = m_at;
      const char c = m_bytes[m_at];
      if (c == '{' || c == '}') {
        ++m_at;
        return Make(c == '{' ? Token::OPEN : Token::CLOSE);
      }
      if (c == '"') {
        const void* end = std::memchr(m_bytes + start + 1, '"', m_size - start - 1);
        if (!end) return Fault("a string left open", start);
        m_at = static_cast<size_t>(static_cast<const char*>(end) - m_bytes) + 1;
        return Make(Token::STRING, std::string_view(m_bytes + start + 1, m_at - start - 2));
      }
      if (c == '<') {  // a GUID names the template; the loader goes by type names
        const void* end = std::memchr(m_bytes + start, '>', m_size - start);
        if (!end) return Fault("a GUID left open", start);
        m_at = static_cast<size_t>(static_cast<const char*>(end) - m_bytes) + 1;
        continue;
      }
      if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') return TextNumber();
      if (!IsNameCharacter(c)) return Fault("an unexpected character", start);
      while (m_at < m_size && IsNameCharacter(m_bytes[m_at]) &&
             !(m_bytes[m_at] == '/' && m_at + 1 < m_size && m_bytes[m_at + 1] == '/')) {
        ++m_at;
      }
      const std::string_view name(m_bytes + start, m_at - start);
      if (name != "template") return Make(Token::NAME, name);
      if (!SkipTextTemplate()) return Fault("a template left open", start);
    }
  }

  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  Token TextNumber() {
    const size_t start = m_at;
    // Most numbers are indices: small whole numbers are read without from_chars.
    uint32_t whole = 0;
    bool plain = true;
    for (; m_at < m_size; ++m_at) {
      const char c = m_bytes[m_at];
      if (IsDigit(c)) {
        whole = whole * 10 + static_cast<uint32_t>(c - '0');
      } else if (c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E') {
        plain = false;
      } else {
        break;
      }
    }
    if (plain && m_at - start <= 9) return Number(whole);
    const char* first = m_bytes + start;
    if (*first == '+') ++first;  // from_chars takes no plus sign
    double value = 0.0;
    const std::from_chars_result read = std::from_chars(first, m_bytes + m_at, value);
    if (read.ec != std::errc() || read.ptr != m_bytes + m_at || !std::isfinite(value)) {
      return Fault("a malformed number", start);
    }
    return Number(value);
  }

  // --- binary -----------------------------------------------------------------------

  bool Has(uint64_t count) const { return count <= m_size - m_at; }

  uint32_t Read32() {
    uint32_t value;
    std::memcpy(&value, m_bytes + m_at, sizeof value);
    m_at += sizeof value;
    return value;
  }

  unsigned Read16() {
    const unsigned value = static_cast<unsigned char>(m_bytes[m_at]) |
                           (static_cast<unsigned char>(m_bytes[m_at + 1]) << 8);
    m_at += 2;
    return value;
  }

  // The next element of the list being read, integer or float.
  Token ListElement() {
    --m_listLeft;
    if (!m_listFloats) return Number(Read32());
    double value;
    if (m_doubles) {
      std::memcpy(&value, m_bytes + m_at, sizeof value);
      m_at += sizeof value;
    } else {
      float single;
      std::memcpy(&single, m_bytes + m_at, sizeof single);
      m_at += sizeof single;
      value = single;
    }
    if (!std::isfinite(value))
      return Fault("a number that is not finite", m_at - (m_doubles ? 8 : 4));
    return Number(value);
  }

  bool SkipBinaryTemplate() {
    int depth = 0;
    while (Has(2)) {
      const size_t at = m_at;
      const unsigned code = Read16();
      if (code == BIN_OPEN_BRACE) {
        ++depth;
      } else if (code == BIN_CLOSE_BRACE) {
        if (--depth <= 0) return depth == 0;
      } else if (!SkipBinaryOperand(code)) {
        m_at = at;
        return false;
      }
    }
    return false;
  }

  // Passes over what follows a token's code inside a template.
  bool SkipBinaryOperand(unsigned code) {
    if (code == BIN_NAME || code == BIN_STRING) {
      if (!Has(4)) return false;
      const uint32_t length = Read32();
      if (!Has(length)) return false;
      m_at += length;
      return code == BIN_NAME || SkipStringTerminator();
    }
    if (code == BIN_INTEGER || code == BIN_GUID) {
      if (!Has(code == BIN_GUID ? 16 : 4)) return false;
      m_at += code == BIN_GUID ? 16 : 4;
      return true;
    }
    if (code == BIN_INTEGER_LIST || code == BIN_FLOAT_LIST) {
      if (!Has(4)) return false;
      const uint64_t width = code == BIN_FLOAT_LIST && m_doubles ? 8 : 4;
      const uint64_t count = Read32();
      if (!Has(count * width)) return false;
      m_at += count * width;
      return true;
    }
    // Punctuation and the keywords of member declarations stand alone.
    return (code >= BIN_FIRST_PUNCTUATION && code <= BIN_LAST_PUNCTUATION) ||
           (code >= BIN_FIRST_KEYWORD && code <= BIN_LAST_KEYWORD);
  }

  // A string ends with a comma or semicolon token; some writers give it a whole 32-bit
  // word, whose upper half (zero) is no token of its own.
  bool SkipStringTerminator() {
    if (!Has(2)) return false;
    const unsigned code = Read16();
    if (code != BIN_COMMA && code != BIN_SEMICOLON) return false;
    if (Has(2) && m_bytes[m_at] == 0 && m_bytes[m_at + 1] == 0) m_at += 2;
    return true;
  }

  Token NextBinary() {
    if (m_listLeft > 0) return ListElement();
    for (;;) {
      if (m_at >= m_size) return Make(Token::END);
      const size_t start = m_at;
      if (!Has(2)) return Fault("a token cut short", start);
      const unsigned code = Read16();
      switch (code) {
        case BIN_NAME:
        case BIN_STRING: {
          if (!Has(4)) return Fault("a token cut short", start);
          const uint32_t length = Read32();
          if (!Has(length)) return Fault("a token cut short", start);
          const std::string_view text(m_bytes + m_at, length);
          m_at += length;
          if (code == BIN_STRING && !SkipStringTerminator()) {
            return Fault("a string without its comma or semicolon", start);
          }
          if (code == BIN_NAME) {
            if (text.empty()) return Fault("an empty name", start);
            for (char c : text) {
              if (!IsNameCharacter(c)) return Fault("an unreadable name", start);
            }
          }
          return Make(code == BIN_NAME ? Token::NAME : Token::STRING, text);
        }
        case BIN_INTEGER:
          if (!Has(4)) return Fault("a token cut short", start);
          return Number(Read32());
        case BIN_INTEGER_LIST:
        case BIN_FLOAT_LIST: {
          if (!Has(4)) return Fault("a token cut short", start);
          m_listFloats = code == BIN_FLOAT_LIST;
          const uint64_t count = Read32();
          if (!Has(count * (m_listFloats && m_doubles ? 8 : 4))) {
            return Fault("a list longer than the file", start);
          }
          if (count == 0) continue;
          m_listLeft = count;
          return ListElement();
        }
        case BIN_GUID:
          if (!Has(16)) return Fault("a token cut short", start);
          m_at += 16;
          continue;
        case BIN_OPEN_BRACE: return Make(Token::OPEN);
        case BIN_CLOSE_BRACE: return Make(Token::CLOSE);
        case BIN_TEMPLATE:
          if (!SkipBinaryTemplate()) return Fault("a template left open", start);
          continue;
        default:
          if (code >= BIN_FIRST_PUNCTUATION && code <= BIN_LAST_PUNCTUATION) continue;
          if (code >= BIN_FIRST_KEYWORD && code <= BIN_LAST_KEYWORD) {
            return Fault("a template's member type outside any template", start);
          }
          return Fault("an unexpected token " + std::to_string(code), start);
      }
    }
  }

  const char* m_bytes;
  size_t m_size;
  size_t m_at = 0;
  bool m_binary;
  bool m_doubles;
  uint64_t m_listLeft = 0;
  bool m_listFloats = false;
  std::string m_problem;
};

// What a read holds besides the file: the objects found so far, against X_OBJECT_LIMIT,
// and every vector grown, against the budget.
struct Reading {
  TokenStream* stream;
  XBudget* budget;
  size_t objects = 0;
  std::string* problem;

  bool CountObject() {
    if (++objects <= X_OBJECT_LIMIT) return true;
    *problem = "more than " + std::to_string(X_OBJECT_LIMIT) + " objects";
    return false;
  }

  template <typename T>
  bool Append(std::vector<T>* items, T item) {
    return AppendOnBudget(items, std::move(item), budget, problem);
  }
};

// The object whose type name was just read: an optional name, then its body.
bool ReadObject(Reading* reading, std::string_view type, int depth, XObject* object) {
  TokenStream* stream = reading->stream;
  std::string* problem = reading->problem;
  if (depth > X_NESTING_LIMIT) {
    *problem = "objects nested more than " + std::to_string(X_NESTING_LIMIT) + " deep";
    return false;
  }
  if (!reading->CountObject()) return false;
  object->type = type;
  Token token = stream->Next();
  if (token.kind == Token::NAME) {
    object->name = token.text;
    token = stream->Next();
  }
  if (token.kind != Token::OPEN) {
    if (token.kind == Token::FAULT) {
      *problem = stream->Problem();
    } else {
      problem->assign(1, '"').append(type).append("\" where a number or an object belongs");
    }
    return false;
  }
  for (;;) {
    token = stream->Next();
    switch (token.kind) {
      case Token::NUMBER:
        if (!reading->Append(&object->numbers, token.number)) return false;
        break;
      case Token::STRING:
        if (!reading->Append(&object->strings, token.text)) return false;
        break;
      case Token::NAME:
        if (!reading->Append(&object->children, XObject{}) ||
            !ReadObject(reading, token.text, depth + 1, &object->children.back())) {
          return false;
        }
        break;
      case Token::OPEN: {  // a reference: { Name }
        const Token name = stream->Next();
        const Token close = name.kind == Token::NAME ? stream->Next() : name;
        if (name.kind != Token::NAME || close.kind != Token::CLOSE) {
          *problem = name.kind == Token::FAULT || close.kind == Token::FAULT
                         ? stream->Problem()
                         : "a reference that names no object";
          return false;
        }
        XObject reference;
        reference.name = name.text;
        if (!reading->CountObject() || !reading->Append(&object->children, std::move(reference))) {
          return false;
        }
        break;
      }
      case Token::CLOSE: return true;
      case Token::END:
        problem->assign("a \"").append(type).append("\" left open at the end of the file");
        return false;
      case Token::FAULT: *problem = stream->Problem(); return false;
    }
  }
}

}  // namespace

bool XBudget::Take(uint64_t bytes, std::string* problem) {
  if (bytes > limit - used) {
    *problem = "it would take more than " + std::to_string((limit + (1 << 19)) >> 20) +
               " MB to hold (" + std::to_string(X_BUDGET_PER_FILE_BYTE) + " times its size and " +
               std::to_string(X_BUDGET_FIXED >> 20) + " MB)";
    return false;
  }
  used += bytes;
  if (used > peak) peak = used;
  return true;
}

bool ReadXFile(const char* bytes, size_t size, XBudget* budget, std::vector<XObject>* objects,
               std::string* problem) {
  objects->clear();
  if (size < X_HEADER_SIZE || std::memcmp(bytes, "xof ", 4) != 0) {
    *problem = "it has no .x header";
    return false;
  }
  const std::string_view form(bytes + 8, 4);
  const std::string_view floatSize(bytes + 12, 4);
  if (form == "tzip" || form == "bzip") {
    *problem = "it is compressed, and only plain text and binary files are read";
    return false;
  }
  if ((form != "txt " && form != "bin ") || (floatSize != "0032" && floatSize != "0064")) {
    *problem = "it is neither text nor binary with 32- or 64-bit floats";
    return false;
  }
  TokenStream stream(bytes + X_HEADER_SIZE, size - X_HEADER_SIZE, form == "bin ",
                     floatSize == "0064");
  Reading reading{&stream, budget, 0, problem};
  for (;;) {
    const Token token = stream.Next();
    if (token.kind == Token::END) return true;
    if (token.kind != Token::NAME) {
      *problem = token.kind == Token::FAULT ? stream.Problem() : "data outside any object";
      objects->clear();
      return false;
    }
    if (!reading.Append(objects, XObject{}) ||
        !ReadObject(&reading, token.text, 1, &objects->back())) {
      objects->clear();
      return false;
    }
  }
}
