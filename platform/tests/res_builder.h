// Writes .res files for tests: the standard format with chosen entries, and a way to damage it.
//
//   ResBuilder res;
//   res.Add(6, 626, 0x0411, StringBlock({{10, u"text"}}));
//   res.Write(path);
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace platform_test {

using Bytes = std::vector<unsigned char>;

inline void PutWord(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

inline void PutDword(Bytes& out, std::uint32_t value) {
  PutWord(out, static_cast<std::uint16_t>(value & 0xFFFF));
  PutWord(out, static_cast<std::uint16_t>(value >> 16));
}

// A string block: 16 counted entries; the ones not given are empty (count 0).
inline Bytes StringBlock(const std::map<int, std::u16string>& entries) {
  Bytes out;
  for (int i = 0; i < 16; ++i) {
    auto it = entries.find(i);
    const std::u16string text = it != entries.end() ? it->second : std::u16string();
    PutWord(out, static_cast<std::uint16_t>(text.size()));
    for (const char16_t unit : text) PutWord(out, unit);
  }
  return out;
}

class ResBuilder {
 public:
  ResBuilder() { AddEntry(Id(0), Id(0), 0, {}); }  // the empty entry that marks the format

  // A type or name: an integer identifier, or a string.
  struct Id {
    Id(int number) : number(number) {}        // NOLINT: implicit on purpose
    Id(const char16_t* text) : text(text) {}  // NOLINT
    int number = 0;
    std::u16string text;
  };

  ResBuilder& Add(Id type, Id name, std::uint16_t language, const Bytes& data) {
    AddEntry(type, name, language, data);
    return *this;
  }

  const Bytes& bytes() const { return bytes_; }

  void Write(const std::string& path) const { WriteBytes(path, bytes_); }

  static void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

 private:
  static void PutId(Bytes& out, const Id& id) {
    if (id.text.empty()) {
      PutWord(out, 0xFFFF);
      PutWord(out, static_cast<std::uint16_t>(id.number));
      return;
    }
    for (const char16_t unit : id.text) PutWord(out, unit);
    PutWord(out, 0);
  }

  void AddEntry(const Id& type, const Id& name, std::uint16_t language, const Bytes& data) {
    Bytes header;
    PutId(header, type);
    PutId(header, name);
    while (header.size() % 4 != 0) header.push_back(0);
    PutDword(header, 0);        // DataVersion
    PutWord(header, 0x1030);    // MemoryFlags
    PutWord(header, language);  // LanguageId
    PutDword(header, 0);        // Version
    PutDword(header, 0);        // Characteristics
    PutDword(bytes_, static_cast<std::uint32_t>(data.size()));
    PutDword(bytes_, static_cast<std::uint32_t>(header.size() + 8));
    bytes_.insert(bytes_.end(), header.begin(), header.end());
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }

  Bytes bytes_;
};

}  // namespace platform_test
