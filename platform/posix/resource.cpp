// FindResourceExW and its companions over the standard .res format.
//
// A .res file is a sequence of entries, each aligned to four bytes:
//   DWORD DataSize, DWORD HeaderSize,
//   TYPE and NAME: 0xFFFF followed by a WORD identifier, or a zero-terminated UTF-16 string,
//   padding to four bytes, DWORD DataVersion, WORD MemoryFlags, WORD LanguageId,
//   DWORD Version, DWORD Characteristics,
//   then DataSize bytes of data at HeaderSize bytes from the entry's start.
// The first entry is an empty one (type and name 0) that marks the format. Every field is read
// with bounds checks; a file that breaks the format is refused as a whole.
//
// The executable's .res is linked in by the build between the symbols below; a program built
// without it has no resources.
#include "platform/resource.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <vector>

#include "platform/codepage.h"
#include "platform/lasterror.h"
#include "platform/posix/host_path.h"
#include "platform/process.h"
#include "platform/testing/resources.h"

extern "C" {
extern const unsigned char linkstart_program_resources[] __attribute__((weak));
extern const unsigned char linkstart_program_resources_end[] __attribute__((weak));
}

namespace {

constexpr WORD kUiLanguage = LANG_JAPANESE_JAPAN;
constexpr WORD kEnglishUs = 0x0409;

// A type or name: an integer identifier or an upper-cased string.
struct ResourceId {
  bool isString = false;
  WORD number = 0;
  std::u16string text;
};

struct Entry {
  ResourceId type;
  ResourceId name;
  WORD language = 0;
  std::size_t offset = 0;  // of the data in the module's bytes
  DWORD size = 0;
};

// The bytes of a module's resources: the program's, linked into its image, or a file's, held in
// its Data.
class Bytes {
 public:
  Bytes() = default;
  Bytes(const unsigned char* begin, std::size_t size) : begin_(begin), size_(size) {}
  const unsigned char* data() const { return begin_; }
  std::size_t size() const { return size_; }

 private:
  const unsigned char* begin_ = nullptr;
  std::size_t size_ = 0;
};

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool ReadDword(const Bytes& bytes, std::size_t at, DWORD& value) {
  if (at > bytes.size() || bytes.size() - at < 4) return false;
  std::memcpy(&value, bytes.data() + at, 4);
  return true;
}

bool ReadWord(const Bytes& bytes, std::size_t at, std::size_t end, WORD& value) {
  if (at > end || end - at < 2) return false;
  std::memcpy(&value, bytes.data() + at, 2);
  return true;
}

// Reads a TYPE or NAME field at `at`, within the header that ends at `end`.
bool ReadId(const Bytes& bytes, std::size_t& at, std::size_t end, ResourceId& id) {
  WORD first = 0;
  if (!ReadWord(bytes, at, end, first)) return false;
  if (first == 0xFFFF) {
    id.isString = false;
    if (!ReadWord(bytes, at + 2, end, id.number)) return false;
    at += 4;
    return true;
  }
  id.isString = true;
  id.text.clear();
  for (;;) {
    WORD unit = 0;
    if (!ReadWord(bytes, at, end, unit)) return false;
    at += 2;
    if (unit == 0) return true;
    id.text += Upper(static_cast<char16_t>(unit));
  }
}

bool Parse(const Bytes& bytes, std::vector<Entry>& entries) {
  std::size_t at = 0;
  bool first = true;
  while (at < bytes.size()) {
    DWORD dataSize = 0;
    DWORD headerSize = 0;
    if (!ReadDword(bytes, at, dataSize) || !ReadDword(bytes, at + 4, headerSize)) return false;
    if (headerSize < 16 || headerSize % 4 != 0 || headerSize > bytes.size() - at) return false;
    const std::size_t headerEnd = at + headerSize;
    if (dataSize > bytes.size() - headerEnd) return false;
    std::size_t field = at + 8;
    Entry entry;
    if (!ReadId(bytes, field, headerEnd, entry.type) ||
        !ReadId(bytes, field, headerEnd, entry.name)) {
      return false;
    }
    field = (field + 3) & ~std::size_t{3};
    // DataVersion (4), MemoryFlags (2), LanguageId (2), Version (4), Characteristics (4).
    if (field > headerEnd || headerEnd - field < 16) return false;
    std::memcpy(&entry.language, bytes.data() + field + 6, 2);
    entry.offset = headerEnd;
    entry.size = dataSize;
    const bool empty = !entry.type.isString && entry.type.number == 0 && !entry.name.isString &&
                       entry.name.number == 0;
    if (first && !empty) return false;  // not a .res file
    if (!empty) entries.push_back(std::move(entry));
    first = false;
    const std::size_t next = headerEnd + dataSize;
    at = (next + 3) & ~std::size_t{3};
  }
  return !first;
}

bool Matches(const ResourceId& id, LPCWSTR wanted) {
  if (IS_INTRESOURCE(wanted)) {
    return !id.isString && id.number == static_cast<WORD>(reinterpret_cast<std::uintptr_t>(wanted));
  }
  if (!id.isString) return false;
  std::size_t i = 0;
  for (; wanted[i] != 0; ++i) {
    if (i >= id.text.size() || Upper(wanted[i]) != id.text[i]) return false;
  }
  return i == id.text.size();
}

}  // namespace

namespace platform {

struct ResourceFile::Data {
  std::vector<unsigned char> owned;  // a file's bytes; empty for the program's own
  Bytes bytes;
  std::vector<Entry> entries;
};

}  // namespace platform

namespace {

using ModuleData = platform::ResourceFile::Data;

std::mutex modulesMutex;
std::vector<const ModuleData*> openModules;  // every live module, for handle checks
HMODULE resourceListOverride = nullptr;

const ModuleData* ProgramData() {
  static const ModuleData* const program = [] {
    auto* data = new ModuleData;  // lives as long as the process, as the executable's image
    const unsigned char* begin = linkstart_program_resources;
    const unsigned char* end = linkstart_program_resources_end;
    if (begin != nullptr && end != nullptr && end > begin) {
      // Read in place: the image's bytes live as long as the process.
      data->bytes = Bytes(begin, static_cast<std::size_t>(end - begin));
      if (!Parse(data->bytes, data->entries)) data->entries.clear();
    }
    return data;
  }();
  return program;
}

const ModuleData* DataOf(HMODULE module) {
  if (module == nullptr || module == platform::ProgramModule()) return ProgramData();
  const auto* data = reinterpret_cast<const ModuleData*>(module);
  std::lock_guard<std::mutex> lock(modulesMutex);
  return std::find(openModules.begin(), openModules.end(), data) != openModules.end() ? data
                                                                                      : nullptr;
}

const Entry* EntryOf(const ModuleData* data, HRSRC resource) {
  if (data == nullptr || resource == nullptr || data->entries.empty()) return nullptr;
  const auto* entry = reinterpret_cast<const Entry*>(resource);
  const Entry* first = data->entries.data();
  // std::less and std::greater_equal give a total order even for a pointer into another array.
  if (std::less<>()(entry, first) || std::greater_equal<>()(entry, first + data->entries.size())) {
    return nullptr;
  }
  return entry;
}

}  // namespace

HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
  const ModuleData* data = DataOf(module);
  if (data == nullptr || data->entries.empty()) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  if (type == nullptr || name == nullptr) {
    SetLastError(type == nullptr ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::vector<const Entry*> variants;
  bool typeFound = false;
  for (const Entry& entry : data->entries) {
    if (!Matches(entry.type, type)) continue;
    typeFound = true;
    if (Matches(entry.name, name)) variants.push_back(&entry);
  }
  if (variants.empty()) {
    SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  auto pick = [&](WORD wanted) -> const Entry* {
    for (const Entry* entry : variants) {
      if (entry->language == wanted) return entry;
    }
    return nullptr;
  };
  const Entry* found = nullptr;
  if (language != 0) {
    found = pick(language);
  } else {
    for (const WORD preferred : {WORD{0}, kUiLanguage, kEnglishUs}) {
      if ((found = pick(preferred)) != nullptr) break;
    }
    if (found == nullptr) found = variants.front();
  }
  if (found == nullptr) {
    SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(const_cast<Entry*>(found));
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  return FindResourceExW(module, type, name, 0);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  const ModuleData* data = DataOf(module);
  const Entry* entry = EntryOf(data, resource);
  if (entry == nullptr) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return const_cast<unsigned char*>(data->bytes.data() + entry->offset);
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  const Entry* entry = EntryOf(DataOf(module), resource);
  if (entry == nullptr) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  return entry->size;
}

namespace platform {

int ResourceModuleCount() { return 1; }

HMODULE ResourceModuleAt(int index) {
  if (index != 0) return nullptr;
  std::lock_guard<std::mutex> lock(modulesMutex);
  return resourceListOverride != nullptr ? resourceListOverride : ProgramModule();
}

ScopedResourceModules::ScopedResourceModules(HMODULE module) {
  std::lock_guard<std::mutex> lock(modulesMutex);
  previous_ = resourceListOverride;
  resourceListOverride = module;
}

ScopedResourceModules::~ScopedResourceModules() {
  std::lock_guard<std::mutex> lock(modulesMutex);
  resourceListOverride = previous_;
}

ResourceFile::ResourceFile(std::unique_ptr<Data> data) : data_(std::move(data)) {
  std::lock_guard<std::mutex> lock(modulesMutex);
  openModules.push_back(data_.get());
}

ResourceFile::~ResourceFile() {
  std::lock_guard<std::mutex> lock(modulesMutex);
  openModules.erase(std::remove(openModules.begin(), openModules.end(), data_.get()),
                    openModules.end());
}

HMODULE ResourceFile::Module() const {
  return reinterpret_cast<HMODULE>(const_cast<Data*>(data_.get()));
}

std::unique_ptr<ResourceFile> OpenResourceFile(const std::string& path) {
  std::ifstream in(HostPath(path), std::ios::binary);
  if (!in) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  auto data = std::make_unique<ResourceFile::Data>();
  data->owned.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  data->bytes = Bytes(data->owned.data(), data->owned.size());
  if (!Parse(data->bytes, data->entries)) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  return std::unique_ptr<ResourceFile>(new ResourceFile(std::move(data)));
}

}  // namespace platform
