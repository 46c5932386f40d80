// The error box: the program's one way of telling the user that it cannot go on.
//
//   ShowErrorMessage(10010);
//   // "AppRunオブジェクトの作成に失敗しました。\n処理を継続することができません。"
//
// The message comes from the string table of the program's resource modules; when it is
// missing or empty the box shows "致命的なエラーが発生しました。" instead. The closing line is
// appended in every case.
#pragma once

#include <string>

#include "platform/types.h"

// Shows the modal error box for string resource `messageId` and returns once it is closed.
void ShowErrorMessage(UINT messageId);

// The first resource module, in list order, whose string table holds a non-empty entry for
// `messageId` (language-neutral request); null when none does.
HMODULE FindStringModule(UINT messageId);

// Replaces `text` with the entry for `messageId` in `module`, converted to code page 932, and
// returns true; returns false with `text` unchanged when there is no such entry.
bool LoadStringText(std::string& text, HMODULE module, UINT messageId);

// The counted entry for `messageId` (a 16-bit count, then that many UTF-16 code units) inside
// the string block `resource` of `module`; null when the block cannot be loaded, the entry is
// empty, or the entry does not lie wholly inside the block.
const WCHAR* FindStringEntry(HMODULE module, HRSRC resource, UINT messageId);

namespace launcher {

// "致命的なエラーが発生しました。" and "\n処理を継続することができません。" in code page 932.
extern const char kDefaultErrorText[];
extern const char kClosingLine[];

}  // namespace launcher
