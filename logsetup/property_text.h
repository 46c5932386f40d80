// The log configuration as the program reads it: a log4j property file in code page 932.
//
// log4cxx reads a property file as ISO-8859-1 and knows no "\u" escape, so a code page 932
// path in it (a Documents folder such as ~/ドキュメント, a program named 表, whose second byte
// 0x5C would start an escape) would reach the file system garbled. The program therefore decodes
// the file itself, splits it into keys and values by the library's own property rules, and hands
// the library the properties as Unicode text.
//
// The rules, as log4cxx's PropertyParser applies them, one line after another:
//   - space, tab, CR and LF before a key are skipped, so blank lines are nothing;
//   - a line whose first other character is "#" or "!" is a comment up to the next CR or LF;
//   - the key ends at the first unescaped space, tab, ":" or "="; every space, tab, ":" and "="
//     after it is skipped ("key = = value" has the value "value"); what follows up to the line
//     end is the value, trailing white space included;
//   - a line end (CR, LF or CR LF) right after the key gives the key an empty value;
//   - "\t", "\n" and "\r" stand for tab, LF and CR; a backslash before any other character
//     stands for that character ("\f" is "f", "\\" is "\", "\=" is "="); a backslash before a
//     line end continues the key or value on the next line, whose leading spaces and tabs are
//     skipped;
//   - the last value given to a key wins; a key may be empty ("=value" on a line of its own),
//     except on the last line without a line end, which the library then drops.
// Form feed is no white space to the library: it is part of the key or value.
#pragma once

#include <log4cxx/helpers/properties.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace logsetup {

// Keys and their values, as UTF-16 text.
using PropertyMap = std::map<std::u16string, std::u16string>;

// Splits property text into keys and values by the rules above, in one pass over the text.
PropertyMap SplitProperties(std::u16string_view text);

// Decodes a property file's bytes as code page 932 text (MultiByteToWideChar; an undefined
// sequence or a lone lead byte becomes the code page's default character, U+30FB) and splits
// it, piece by piece with every piece ending between two characters. No result when the
// conversion fails, which takes 2 GiB without a single byte below 0x40 (no line end, space,
// digit or "="): the caller then leaves the file to the library.
std::optional<PropertyMap> ReadCodePage932Properties(std::string_view bytes);

// Sets every property of `properties` in the library's property set, converting keys and
// values from wide text to the library's own strings (Transcoder::decode).
void FillLibraryProperties(const PropertyMap& properties,
                           log4cxx::helpers::Properties& libraryProperties);

}  // namespace logsetup
