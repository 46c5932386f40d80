// The process-wide logging set-up, run once as the first step of start-up.
//
// Logging goes through Apache log4cxx. The common log folder is "Korvo/SystemLog" under the
// user's Documents folder (written with the platform's separator: "\" on Windows, "/" here).
// When an override configuration "KDefault.ini" (a file, or anything of that name) lies there,
// the library is configured from it and nothing is created or written. Otherwise the program
// writes its own seven-line configuration, <log folder>/<name>.ini, which sends everything of
// level Info and above to one rolling file in the subfolder named after the program:
//
//   SetUpLogging("Sample", 1, 0, 0, 0);
//   // started on 7 March 2024 with the Documents folder /home/user1/Documents:
//   //   writes /home/user1/Documents/Korvo/SystemLog/Sample.ini, which names the log file
//   //   /home/user1/Documents/Korvo/SystemLog/Sample/Sample.1.0.0Log_20240307.txt
//
// The library reads a property file as ISO-8859-1, which garbles a code page 932 path. So the
// configuration file, the generated one and the override alike, is read here as code page 932
// text, split by the library's property rules (logsetup/property_text.h), and handed to the
// library as properties; a file that cannot be read (missing, a folder, no permission) is handed
// over by its path, and the library reports on it as it does. The file itself is never changed.
//
// Nothing here reports a failure or stops start-up: a missing Documents folder (the log folder
// then starts at the root), folders that cannot be created, a configuration file that cannot be
// written (the old file, or none, is handed to the library) and a malformed override file are
// all passed over.
#pragma once

#include <cstdint>
#include <string>

// Configures log4cxx for the process from the override file or from a configuration written for
// the program `name` (the program file's name without folder and extension; may be empty) with
// the version parts `version1` to `version4`.
void SetUpLogging(const std::string& name, int32_t version1, int32_t version2, int32_t version3,
                  int32_t version4);

// Writes the program's configuration into `logFolder` and returns its path,
// logFolder + separator + name + ".ini", whether or not it could be written. Sets the runtime
// library's locale, every category, to the user's default first (setlocale(LC_ALL, ""); the
// character type stays UTF-8 here, see platform::KeepFileNameCharacterType), and creates the
// log subfolder logFolder + separator + name + separator.
//
// The file holds seven lines, each ended by CR LF. Line 5 names the log file:
//   <log subfolder><name>.<version1>.<version2>.<version3>[.<version4> unless 0]Log_<yyyymmdd>.txt
// with every backslash of the log subfolder doubled, because the property format reads "\" as
// an escape; a 0x5C that is the second byte of a double-byte character stays single.
std::string WriteLogConfiguration(const std::string& name, const std::string& logFolder,
                                  int32_t version1, int32_t version2, int32_t version3,
                                  int32_t version4);
