// The configuration the program writes for itself, byte for byte: seven lines, each ended by
// CR LF, that send Info and above to the rolling file `logFile`.
#pragma once

#include <string>

namespace logsetup_test {

inline std::string ExpectedConfiguration(const std::string& logFile) {
  return "log4j.rootLogger = Info, kAppender\r\n"
         "log4j.appender.kAppender = org.apache.log4j.RollingFileAppender\r\n"
         "log4j.appender.kAppender.MaxFileSize = 5MB\r\n"
         "log4j.appender.kAppender.MaxBackupIndex = 1\r\n"
         "log4j.appender.kAppender.File = " +
         logFile +
         "\r\n"
         "log4j.appender.kAppender.layout = org.apache.log4j.PatternLayout\r\n"
         "log4j.appender.kAppender.layout.ConversionPattern = "
         "%d{yyyy-MM-dd HH:mm:ss} [%5p] %l %M - %m%n\r\n";
}

}  // namespace logsetup_test
