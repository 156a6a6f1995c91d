// The trace of a failed platform call: one line on the debugger output and, when asked,
// a question that offers to break into the debugger. Both variants run the same steps;
// the wide one builds its texts in UTF-16 and hands them on as UTF-8.
#include "diag/dx_trace.h"

#include <cstdio>

#include "diag/utf16_text.h"
#include "platform/system/debugger.h"
#include "platform/system/system.h"

namespace {

constexpr size_t LINE_TEXT_SIZE = 128;
constexpr size_t CODE_TEXT_SIZE = 256;
constexpr size_t OUTPUT_SIZE = 3000;
constexpr size_t FILE_NAME_SIZE = 260;
constexpr size_t CALLING_SIZE = 1024;
// A message with no terminator within this many characters is treated as none.
constexpr size_t MESSAGE_LIMIT = 1024;

constexpr const char* BOX_CAPTION = "Unexpected error encountered";

// A text formatted into a fixed buffer: what does not fit is cut at the buffer's size
// less one character, and the text is always terminated.
template <typename Char, size_t SIZE>
struct FixedText {
  Char text[SIZE] = {};
  size_t length = 0;

  void Put(char32_t unit) {
    if (length < SIZE - 1) text[length++] = static_cast<Char>(unit);
  }

  void Append(const Char* piece) {
    while (*piece && length < SIZE - 1) text[length++] = *piece++;
  }

  // Narrow text: bytes as they are for a narrow text, UTF-8 made UTF-16 for a wide one.
  void AppendNarrow(const char* piece) {
    if constexpr (sizeof(Char) == 1) {
      Append(piece);
    } else {
      while (*piece && length < SIZE - 1) {
        const char32_t codePoint = NextUtf8CodePoint(piece);
        if (codePoint < 0x10000) {
          Put(codePoint);
        } else {
          Put(0xD800 + ((codePoint - 0x10000) >> 10));
          Put(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        }
      }
    }
  }
};

template <typename Char>
size_t MessageLength(const Char* strMsg) {
  if (!strMsg) return 0;
  for (size_t length = 0; length < MESSAGE_LIMIT; ++length) {
    if (strMsg[length] == 0) return length;
  }
  return 0;
}

void Send(const char* text) { OutputDebugString(text); }

void Send(const char16_t* text) {
  char utf8[3 * OUTPUT_SIZE + 1];  // every UTF-16 unit takes at most three bytes
  Utf16ToUtf8(text, utf8, sizeof(utf8));
  OutputDebugString(utf8);
}

int Ask(const char* text) { return MessageBox(text, BOX_CAPTION, MB_YESNO | MB_ICONERROR); }

int Ask(const char16_t* text) {
  char utf8[3 * OUTPUT_SIZE + 1];
  Utf16ToUtf8(text, utf8, sizeof(utf8));
  return Ask(utf8);
}

const char* ErrorName(HRESULT hr, char) { return DXGetErrorStringA(hr); }
const char16_t* ErrorName(HRESULT hr, char16_t) { return DXGetErrorStringW(hr); }

template <typename Char>
HRESULT Trace(const char* strFile, uint32_t dwLine, HRESULT hr, const Char* strMsg,
              bool bPopMsgBox) {
  char digits[32];
  std::snprintf(digits, sizeof(digits), "%ld", static_cast<long>(dwLine));
  FixedText<Char, LINE_TEXT_SIZE> strLine;
  strLine.AppendNarrow(digits);

  if (strFile) {
    FixedText<Char, OUTPUT_SIZE> strBuffer;
    strBuffer.AppendNarrow(strFile);
    strBuffer.AppendNarrow("(");
    strBuffer.Append(strLine.text);
    strBuffer.AppendNarrow("): ");
    Send(strBuffer.text);
  }

  const size_t nMsgLen = MessageLength(strMsg);
  if (nMsgLen > 0) {
    Send(strMsg);
    Send(" ");
  }

  char hexCode[16];
  std::snprintf(hexCode, sizeof(hexCode), "%08x", static_cast<uint32_t>(hr));
  FixedText<Char, CODE_TEXT_SIZE> strHRESULT;
  strHRESULT.Append(ErrorName(hr, Char()));
  strHRESULT.AppendNarrow(" (0x");
  strHRESULT.AppendNarrow(hexCode);
  strHRESULT.AppendNarrow(")");

  FixedText<Char, OUTPUT_SIZE> strResult;
  strResult.AppendNarrow("hr=");
  strResult.Append(strHRESULT.text);
  Send(strResult.text);
  Send("\n");

  if (!bPopMsgBox) return hr;

  FixedText<Char, FILE_NAME_SIZE> strFileName;
  if (strFile) strFileName.AppendNarrow(strFile);
  FixedText<Char, CALLING_SIZE> strCalling;
  if (nMsgLen > 0) {
    strCalling.AppendNarrow("Calling: ");
    strCalling.Append(strMsg);
    strCalling.AppendNarrow("\n");
  }
  FixedText<Char, OUTPUT_SIZE> strBox;
  strBox.AppendNarrow("File: ");
  strBox.Append(strFileName.text);
  strBox.AppendNarrow("\nLine: ");
  strBox.Append(strLine.text);
  strBox.AppendNarrow("\nError Code: ");
  strBox.Append(strHRESULT.text);
  strBox.AppendNarrow("\n");
  strBox.Append(strCalling.text);
  strBox.AppendNarrow("Do you want to debug the application?");

  // Breaking with no debugger attached would only kill the program.
  if (Ask(strBox.text) == IDYES && IsDebuggerPresent()) DebugBreak();
  return hr;
}

}  // namespace

HRESULT DXTraceA(const char* strFile, uint32_t dwLine, HRESULT hr, const char* strMsg,
                 bool bPopMsgBox) {
  return Trace(strFile, dwLine, hr, strMsg, bPopMsgBox);
}

HRESULT DXTraceW(const char* strFile, uint32_t dwLine, HRESULT hr, const char16_t* strMsg,
                 bool bPopMsgBox) {
  return Trace(strFile, dwLine, hr, strMsg, bPopMsgBox);
}
