#include "logsetup/property_text.h"

#include <log4cxx/helpers/transcoder.h>

#include <limits>

#include "platform/codepage.h"

namespace logsetup {

namespace {

bool IsLineSpace(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsLineEnd(char16_t c) { return c == u'\n' || c == u'\r'; }
bool IsKeyEnd(char16_t c) { return IsLineSpace(c) || c == u':' || c == u'='; }

// log4cxx's property state machine over an index into the text. The library takes the first
// character off its string at every step, which is what makes it quadratic; here every step
// moves the index one character on, so a text is read in one pass.
class PropertySplitter {
 public:
  explicit PropertySplitter(std::u16string_view text) : text_(text) {}

  PropertyMap Split() {
    bool more = !text_.empty();
    while (more) more = Step(text_[at_]);
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

  // Handles the character `c` at the index; false once the text is used up.
  bool Step(char16_t c) {
    switch (state_) {
      case State::kLineStart:
        if (IsLineSpace(c) || IsLineEnd(c)) return Advance();
        if (c == u'#' || c == u'!') return MoveOn(State::kComment);
        part_ = Part::kKey;
        return Reread(State::kText);
      case State::kComment:
        if (IsLineEnd(c)) state_ = State::kLineStart;
        return Advance();
      case State::kText:
        return StepText(c);
      case State::kEscape:
        StepEscape(c);
        return Advance();
      case State::kContinuation:
        if (IsLineSpace(c)) return Advance();
        return Reread(State::kText);
      case State::kContinuationCr:
        // An LF right after the CR belongs to the same line end.
        return c == u'\n' ? MoveOn(State::kContinuation) : Reread(State::kContinuation);
      case State::kSeparator:
        if (IsKeyEnd(c)) return Advance();
        part_ = Part::kValue;
        return Reread(State::kText);
    }
    return false;
  }

  bool StepText(char16_t c) {
    if (c == u'\\') return MoveOn(State::kEscape);
    if (part_ == Part::kKey && IsKeyEnd(c)) return MoveOn(State::kSeparator);
    if (IsLineEnd(c)) {
      Store();
      return MoveOn(State::kLineStart);
    }
    Text() += c;
    return Advance();
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
    return Advance();
  }

  // Goes to `state`, which reads the same character again.
  bool Reread(State state) {
    state_ = state;
    return true;
  }

  bool Advance() { return ++at_ < text_.size(); }

  std::u16string_view text_;
  std::size_t at_ = 0;
  State state_ = State::kLineStart;
  Part part_ = Part::kKey;
  std::u16string key_;
  std::u16string value_;
  PropertyMap properties_;
};

}  // namespace

PropertyMap SplitProperties(std::u16string_view text) { return PropertySplitter(text).Split(); }

std::optional<PropertyMap> ReadCodePage932Properties(std::string_view bytes) {
  if (bytes.empty()) return PropertyMap{};
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  // Every character of code page 932, one byte or two, and every replaced sequence is one
  // UTF-16 unit, so as many units as bytes always suffice and one call converts the whole text.
  std::u16string text(bytes.size(), u'\0');
  const int length = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()),
                                         text.data(), static_cast<int>(text.size()));
  if (length <= 0) return std::nullopt;
  text.resize(static_cast<std::size_t>(length));
  return SplitProperties(text);
}

std::wstring WideTextFromUtf16(std::u16string_view text) {
  if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
    return std::wstring(text.begin(), text.end());
  } else {
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char32_t unit = text[i];
      const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
                        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (pair) {
        wide += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
      } else {
        wide += static_cast<wchar_t>(unit);
      }
    }
    return wide;
  }
}

void FillLibraryProperties(const PropertyMap& properties,
                           log4cxx::helpers::Properties& libraryProperties) {
  for (const auto& [key, value] : properties) {
    log4cxx::LogString libraryKey;
    log4cxx::LogString libraryValue;
    log4cxx::helpers::Transcoder::decode(WideTextFromUtf16(key), libraryKey);
    log4cxx::helpers::Transcoder::decode(WideTextFromUtf16(value), libraryValue);
    libraryProperties.setProperty(libraryKey, libraryValue);
  }
}

}  // namespace logsetup
