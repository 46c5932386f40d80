#include "logsetup/property_text.h"

#include <log4cxx/helpers/transcoder.h>

#include <algorithm>
#include <limits>

#include "platform/codepage.h"

namespace logsetup {

namespace {

bool IsLineSpace(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsLineEnd(char16_t c) { return c == u'\n' || c == u'\r'; }
bool IsKeyEnd(char16_t c) { return IsLineSpace(c) || c == u':' || c == u'='; }

// log4cxx's property state machine, fed one piece of text after another. The library takes the
// first character off its string at every step, which is what makes it quadratic; here every
// step looks at one character of the piece, so a text is read in one pass and never needs to be
// held whole.
class PropertySplitter {
 public:
  // `Unit` is a UTF-16 code unit: char16_t, or WCHAR, which is wchar_t on Windows.
  template <typename Unit>
  void Feed(const Unit* text, std::size_t length) {
    static_assert(sizeof(Unit) == sizeof(char16_t), "UTF-16 code units");
    for (std::size_t at = 0; at < length;) {
      if (Step(static_cast<char16_t>(text[at]))) ++at;
    }
  }

  PropertyMap Finish() {
    // The last line, without a line end, counts only with a key.
    if (!key_.empty()) Store();
    return std::move(properties_);
  }

 private:
  enum class State {
    kLineStart,       // before a key: white space and line ends are skipped
    kComment,         // up to the next line end
    kText,            // in the key or the value (part_ says which)
    kEscape,          // after a backslash in the key or the value
    kContinuation,    // after a backslash and LF: leading white space is skipped
    kContinuationCr,  // after a backslash and CR: an LF may follow
    kSeparator,       // between the key and the value
  };
  enum class Part { kKey, kValue };

  // Handles the character `c`; true when it is used up, false when the new state reads it again.
  bool Step(char16_t c) {
    switch (state_) {
      case State::kLineStart:
        if (IsLineSpace(c) || IsLineEnd(c)) return true;
        if (c == u'#' || c == u'!') return MoveOn(State::kComment);
        part_ = Part::kKey;
        return Reread(State::kText);
      case State::kComment:
        if (IsLineEnd(c)) state_ = State::kLineStart;
        return true;
      case State::kText:
        return StepText(c);
      case State::kEscape:
        StepEscape(c);
        return true;
      case State::kContinuation:
        if (IsLineSpace(c)) return true;
        return Reread(State::kText);
      case State::kContinuationCr:
        // An LF right after the CR belongs to the same line end.
        return c == u'\n' ? MoveOn(State::kContinuation) : Reread(State::kContinuation);
      case State::kSeparator:
        if (IsKeyEnd(c)) return true;
        part_ = Part::kValue;
        return Reread(State::kText);
    }
    return true;
  }

  bool StepText(char16_t c) {
    if (c == u'\\') return MoveOn(State::kEscape);
    if (part_ == Part::kKey && IsKeyEnd(c)) return MoveOn(State::kSeparator);
    if (IsLineEnd(c)) {
      Store();
      return MoveOn(State::kLineStart);
    }
    Text() += c;
    return true;
  }

  void StepEscape(char16_t c) {
    state_ = State::kText;
    switch (c) {
      case u't':
        Text() += u'\t';
        break;
      case u'n':
        Text() += u'\n';
        break;
      case u'r':
        Text() += u'\r';
        break;
      case u'\n':
        state_ = State::kContinuation;
        break;
      case u'\r':
        state_ = State::kContinuationCr;
        break;
      default:
        Text() += c;
        break;
    }
  }

  std::u16string& Text() { return part_ == Part::kKey ? key_ : value_; }

  // The library's setProperty: the last value of a key wins.
  void Store() {
    properties_[key_] = value_;
    key_.clear();
    value_.clear();
  }

  // Goes to `state` with the next character.
  bool MoveOn(State state) {
    state_ = state;
    return true;
  }

  // Goes to `state`, which reads the same character again.
  bool Reread(State state) {
    state_ = state;
    return false;
  }

  State state_ = State::kLineStart;
  Part part_ = Part::kKey;
  std::u16string key_;
  std::u16string value_;
  PropertyMap properties_;
};

// The text is decoded in pieces of about this many bytes, so that the conversion works in a
// small buffer that stays in the cache instead of one as large as the file.
constexpr std::size_t kPieceBytes = 64 * 1024;

// A byte below 0x40 is never the second byte of a double-byte character, so a piece that ends
// right after one ends between characters. Returns the end of the piece that starts at `start`:
// after the last such byte within kPieceBytes, else after the next one, else the text's end.
std::size_t PieceEnd(std::string_view bytes, std::size_t start) {
  const auto isBoundary = [](char byte) { return static_cast<unsigned char>(byte) < 0x40; };
  const std::size_t limit = std::min(bytes.size(), start + kPieceBytes);
  if (limit == bytes.size()) return limit;
  for (std::size_t end = limit; end > start; --end) {
    if (isBoundary(bytes[end - 1])) return end;
  }
  for (std::size_t end = limit; end < bytes.size(); ++end) {
    if (isBoundary(bytes[end])) return end + 1;
  }
  return bytes.size();
}

}  // namespace

PropertyMap SplitProperties(std::u16string_view text) {
  PropertySplitter splitter;
  splitter.Feed(text.data(), text.size());
  return splitter.Finish();
}

std::optional<PropertyMap> ReadCodePage932Properties(std::string_view bytes) {
  PropertySplitter splitter;
  std::basic_string<WCHAR> piece;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = PieceEnd(bytes, start);
    const std::size_t length = end - start;
    if (length > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
    // Every character of code page 932, one byte or two, and every replaced sequence is one
    // UTF-16 unit, so as many units as bytes always suffice and one call converts the piece.
    piece.resize(length);
    const int units = MultiByteToWideChar(932, 0, bytes.data() + start, static_cast<int>(length),
                                          piece.data(), static_cast<int>(length));
    if (units <= 0) return std::nullopt;
    splitter.Feed(piece.data(), static_cast<std::size_t>(units));
    start = end;
  }
  return splitter.Finish();
}

void FillLibraryProperties(const PropertyMap& properties,
                           log4cxx::helpers::Properties& libraryProperties) {
  for (const auto& [key, value] : properties) {
    log4cxx::LogString libraryKey;
    log4cxx::LogString libraryValue;
    log4cxx::helpers::Transcoder::decode(platform::WideTextFromUtf16(key), libraryKey);
    log4cxx::helpers::Transcoder::decode(platform::WideTextFromUtf16(value), libraryValue);
    libraryProperties.setProperty(libraryKey, libraryValue);
  }
}

}  // namespace logsetup
