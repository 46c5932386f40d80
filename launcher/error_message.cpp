// ShowErrorMessage and the string-table walk behind it.
#include "launcher/error_message.h"

#include <cstring>

#include "platform/codepage.h"
#include "platform/resource.h"
#include "platform/ui.h"

namespace launcher {

// Code page 932 bytes; a hex escape is closed by starting a new literal before an ASCII letter.
const char kDefaultErrorText[] =
    "\x92v\x96\xBD\x93I\x82\xC8\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5"
    "\x82\xBD\x81"
    "B";
const char kClosingLine[] =
    "\n\x8F\x88\x97\x9D\x82\xF0\x8Cp\x91\xB1\x82\xB7\x82\xE9\x82\xB1\x82\xC6\x82\xAA\x82\xC5\x82"
    "\xAB\x82\xDC\x82\xB9\x82\xF1\x81"
    "B";

}  // namespace launcher

namespace {

// A string block holds messages 16 at a time; block n + 1 holds messages 16n to 16n + 15.
LPCWSTR BlockName(UINT messageId) {
  return MAKEINTRESOURCEW(static_cast<WORD>((messageId >> 4) + 1));
}

}  // namespace

const WCHAR* FindStringEntry(HMODULE module, HRSRC resource, UINT messageId) {
  HGLOBAL loaded = LoadResource(module, resource);
  if (loaded == nullptr) return nullptr;
  const auto* start = static_cast<const unsigned char*>(LockResource(loaded));
  if (start == nullptr) return nullptr;
  const std::size_t size = SizeofResource(module, resource);

  // Each entry: a 16-bit count, then that many UTF-16 code units. An entry counts only when
  // its count and all of its units lie inside the block; nothing past the block is read.
  std::size_t at = 0;
  auto entryFits = [&](WORD& count) {
    if (at >= size || size - at < sizeof(WORD)) return false;
    std::memcpy(&count, start + at, sizeof count);
    return (size - at - sizeof(WORD)) / sizeof(WCHAR) >= count;
  };
  WORD count = 0;
  for (UINT skip = messageId & 15; skip > 0; --skip) {
    if (!entryFits(count)) return nullptr;
    at += sizeof(WORD) + std::size_t{count} * sizeof(WCHAR);
  }
  if (!entryFits(count) || count == 0) return nullptr;
  return reinterpret_cast<const WCHAR*>(start + at);
}

HMODULE FindStringModule(UINT messageId) {
  for (int i = 0; i < platform::ResourceModuleCount(); ++i) {
    HMODULE module = platform::ResourceModuleAt(i);
    HRSRC block = FindResourceExW(module, RT_STRING, BlockName(messageId), 0);
    if (block != nullptr && FindStringEntry(module, block, messageId) != nullptr) return module;
  }
  return nullptr;
}

bool LoadStringText(std::string& text, HMODULE module, UINT messageId) {
  HRSRC block = FindResourceW(module, BlockName(messageId), RT_STRING);
  if (block == nullptr) return false;
  const WCHAR* entry = FindStringEntry(module, block, messageId);
  if (entry == nullptr) return false;
  const int count = entry[0];
  const WCHAR* units = entry + 1;
  const int length =
      WideCharToMultiByte(CP_THREAD_ACP, 0, units, count, nullptr, 0, nullptr, nullptr);
  std::string converted(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_THREAD_ACP, 0, units, count, converted.data(), length, nullptr, nullptr);
  }
  text = std::move(converted);
  return true;
}

void ShowErrorMessage(UINT messageId) {
  std::string text;
  if (HMODULE module = FindStringModule(messageId)) LoadStringText(text, module, messageId);
  if (text.empty()) text = launcher::kDefaultErrorText;
  text += launcher::kClosingLine;
  MessageBoxA(GetActiveWindow(), text.c_str(), nullptr, MB_OK | MB_ICONERROR);
}
