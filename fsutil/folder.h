// Folder creation and the lead-byte-aware searches that path handling needs.
//
// Texts are code page 932 byte strings. In that code page the second byte of many characters
// equals "\" (表 is 0x95 0x5C), so a plain byte search would take such a character for a path
// separator; these routines never match, and never cut inside, a double-byte character.
#pragma once

#include <string>

// The index of the last occurrence of `byte` (its low 8 bits) that is not the second byte of a
// double-byte character; -1 when there is none or the text is empty. A lead byte itself is
// compared. FindLastByte("C:\\表", '\\') is 2, not 4.
int FindLastByte(const std::string& text, int byte);

// True when the text's last character is a "\" or "/" of its own (not the second byte of a
// double-byte character, as in 表, 0x95 0x5C).
bool EndsWithSeparator(const std::string& text);

// Whether the byte at index `count` (the last byte, when `count` is past the end) is the second
// byte of a double-byte character; false for a negative count or an empty text.
bool CutSplitsCharacter(const std::string& text, int count);

// The first `count` bytes of `text`, or `count` + 1 when the cut would split a double-byte
// character; empty for a count of 0 or less, the whole text when the count reaches its length.
// For "a表x": 1 gives "a", 2 and 3 give "a表", 9 gives "a表x".
std::string SafeLeft(const std::string& text, int count);

// Creates one folder (CreateDirectoryA, no security attributes). 1 on success, else 0 with the
// system's last error.
int CreateFolder(const char* path);

// Creates the folder `path` after its missing ancestors, outermost first:
//
//   CreateFolderTree("/home/me/Docs/Logs/System/App");  // with only /home/me/Docs present:
//   // creates Docs/Logs, Docs/Logs/System, then Docs/Logs/System/App; returns 1
//
// 1 only when this call created the folder named by `path`. 0, with nothing more reported,
// when the folder already exists (nothing changes), when an entry that is not a folder stands
// where an ancestor should be (nothing is created), when an ancestor cannot be created (the
// folders below it are not attempted), when the final creation is refused, and for a null
// path. A 0 therefore does not mean the folder is missing.
//
// One trailing "\" or "/" is dropped for splitting and probing; the folder itself is created
// with `path` exactly as given. Only the nearest existing ancestor is probed for the folder bit.
int CreateFolderTree(const char* path);
