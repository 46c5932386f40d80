// The log configuration's property reader on arbitrary bytes.
//
// Every input decodes and splits (a result for anything shorter than 2 GiB) and fills the
// library's Properties. Up to 8 KiB the splitting is also checked against log4cxx's own
// reader: the library reads bytes as ISO-8859-1, so the same bytes taken one character each
// (U+0000-U+00FF) and split here must give the library exactly the keys and values of its own
// Properties::load. Larger inputs are left out of that check because the library's reader is
// quadratic in the size.
#include <log4cxx/helpers/bytearrayinputstream.h>
#include <log4cxx/helpers/properties.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "logsetup/property_text.h"

namespace {

using log4cxx::LogString;
using log4cxx::helpers::Properties;

constexpr std::size_t kLibraryCheckLimit = 8192;

std::map<LogString, LogString> ContentsOf(const Properties& properties) {
  std::map<LogString, LogString> contents;
  for (const LogString& key : properties.propertyNames()) {
    contents[key] = properties.getProperty(key);
  }
  return contents;
}

void CheckAgainstLibrary(const uint8_t* data, size_t size) {
  Properties library;
  library.load(std::make_shared<log4cxx::helpers::ByteArrayInputStream>(
      log4cxx::helpers::ByteList(data, data + size)));

  const std::u16string latin1(data, data + size);
  Properties ours;
  logsetup::FillLibraryProperties(logsetup::SplitProperties(latin1), ours);
  if (ContentsOf(ours) != ContentsOf(library)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<logsetup::PropertyMap> properties =
      logsetup::ReadCodePage932Properties(bytes);
  if (!properties) std::abort();
  Properties filled;
  logsetup::FillLibraryProperties(*properties, filled);
  if (filled.propertyNames().size() != properties->size()) std::abort();

  if (size <= kLibraryCheckLimit) CheckAgainstLibrary(data, size);
  return 0;
}
