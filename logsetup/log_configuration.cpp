#include "logsetup/log_configuration.h"

#include <log4cxx/file.h>
#include <log4cxx/helpers/properties.h>
#include <log4cxx/propertyconfigurator.h>

#include <clocale>
#include <cstring>
#include <exception>
#include <optional>

#include "calendar/calendar_date.h"
#include "calendar/era.h"
#include "fsutil/file_find.h"
#include "fsutil/folder.h"
#include "logsetup/documents_folder.h"
#include "logsetup/property_text.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/mbstring.h"

namespace {

constexpr char kSeparator = platform::kPathSeparator;

// "\Korvo\SystemLog" and "\KDefault.ini", with the platform's separator.
const std::string kLogFolder = std::string(1, kSeparator) + "Korvo" + kSeparator + "SystemLog";
const std::string kOverrideFile = std::string(1, kSeparator) + "KDefault.ini";

// The text with every single-byte "\" doubled. The text is read character by character in code
// page 932, so the second byte of a double-byte character (0x5C in 表, 0x95 0x5C) is copied as
// part of its character and never doubled; a lead byte at the very end is copied alone.
std::string DoubleBackslashes(const std::string& text) {
  std::string doubled;
  doubled.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char byte = text[i];
    doubled += byte;
    if (_ismbblead(static_cast<unsigned char>(byte)) && i + 1 < text.size()) {
      doubled += text[++i];
    } else if (byte == '\\') {
      doubled += '\\';
    }
  }
  return doubled;
}

// Configures the library from the configuration file at `configurationPath`. The file is read
// here as code page 932 text and handed over as properties, so every character of a path in it
// reaches the library as the character it is. A file that cannot be read (missing, a folder, no
// permission) is handed to the library by its path, which then reports and decides as it does.
void ConfigureLibrary(const std::string& configurationPath) {
  const std::optional<std::string> content = platform::ReadWholeFile(configurationPath);
  std::optional<logsetup::PropertyMap> properties;
  if (content) properties = logsetup::ReadCodePage932Properties(*content);
  if (properties) {
    log4cxx::helpers::Properties libraryProperties;
    logsetup::FillLibraryProperties(*properties, libraryProperties);
    log4cxx::PropertyConfigurator::configure(libraryProperties);
  } else {
    // The library takes a wide-character path without converting it through the C locale; it
    // encodes it again for the file system with LC_CTYPE, which start-up keeps at UTF-8.
    log4cxx::PropertyConfigurator::configure(log4cxx::File(platform::WidePath(configurationPath)));
  }
}

}  // namespace

std::string WriteLogConfiguration(const std::string& name, const std::string& logFolder,
                                  int32_t version1, int32_t version2, int32_t version3,
                                  int32_t version4) {
  const std::string characterType = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_ALL, "");
  platform::KeepFileNameCharacterType(characterType);

  const std::string configurationPath = logFolder + kSeparator + name + ".ini";
  const std::string logSubfolder = logFolder + kSeparator + name + kSeparator;
  CreateFolderTree(logSubfolder.c_str());

  CalendarDate today(0);
  today.SetToday();
  std::string dateText;
  DateText(today, DTF_YEAR | DTF_MONTH | DTF_DAY, dateText);

  std::string versionSuffix;
  AppendFormat(versionSuffix, ".%d.%d.%d", version1, version2, version3);
  if (version4 != 0) AppendFormat(versionSuffix, ".%d", version4);

  const std::string logFile =
      DoubleBackslashes(logSubfolder) + name + versionSuffix + "Log_" + dateText + ".txt";

  // Seven lines, each ended by CR LF; the file gets these bytes unchanged. A file that cannot be
  // written is passed over: the library is configured from the old one, or finds none.
  const std::string kLineEnd = "\r\n";
  const std::string configuration =
      "log4j.rootLogger = Info, kAppender" + kLineEnd +
      "log4j.appender.kAppender = org.apache.log4j.RollingFileAppender" + kLineEnd +
      "log4j.appender.kAppender.MaxFileSize = 5MB" + kLineEnd +
      "log4j.appender.kAppender.MaxBackupIndex = 1" + kLineEnd +
      "log4j.appender.kAppender.File = " + logFile + kLineEnd +
      "log4j.appender.kAppender.layout = org.apache.log4j.PatternLayout" + kLineEnd +
      "log4j.appender.kAppender.layout.ConversionPattern = "
      "%d{yyyy-MM-dd HH:mm:ss} [%5p] %l %M - %m%n" +
      kLineEnd;
  platform::WriteSharedFile(configurationPath, configuration);
  return configurationPath;
}

void SetUpLogging(const std::string& name, int32_t version1, int32_t version2, int32_t version3,
                  int32_t version4) {
  char documents[MAX_PATH] = {};
  GetDocumentsFolder(documents);
  documents[MAX_PATH - 1] = '\0';

  const std::string logFolder = documents + kLogFolder;
  const std::string overridePath = logFolder + kOverrideFile;
  std::string configurationPath;
  if (PathExists(overridePath.c_str())) {
    configurationPath = overridePath;
  } else {
    CreateFolderTree(logFolder.c_str());
    configurationPath =
        WriteLogConfiguration(name, logFolder, version1, version2, version3, version4);
  }

  try {
    ConfigureLibrary(configurationPath);
  } catch (const std::exception&) {
    // The library reports its own problems on standard error; start-up goes on regardless.
  }
}
