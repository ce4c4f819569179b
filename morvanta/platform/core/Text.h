#pragma once
// The two text types of the system and the one place that converts between them.
//
// The component layer works on 8-bit text in code page 1252 (`AnsiString`); the framework's
// lists, field names and statement texts are wide (`WideString`, UTF-16). At the edges of the
// process (arguments, the standard error stream, file names given to the client library) text is
// converted between code page 1252 and the system's encoding, UTF-8.

#include <compare>
#include <concepts>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <type_traits>

namespace morvanta {

// Not constexpr on purpose: reached while a literal is checked, it makes the compiler refuse the
// literal, and its name in the error says what to write instead.
inline void NonAsciiLiteralNeedsSuffixA() {}

// A plain string literal whose bytes are all ASCII, the one kind of source text that means the
// same in UTF-8 and in code page 1252. The check runs at compile time: "Açúcar" is refused (it
// needs "Açúcar"_a), "W" passes where an AnsiString setter, operator or exception takes one.
class AsciiLiteral {
 public:
  template <std::size_t N>
  consteval AsciiLiteral(const char (&text)[N]) : text_(text, std::char_traits<char>::length(text)) {
    for (char c : text_)
      if (static_cast<unsigned char>(c) >= 0x80) NonAsciiLiteralNeedsSuffixA();
  }
  constexpr std::string_view View() const { return text_; }
  constexpr operator std::string_view() const { return text_; }

 private:
  std::string_view text_;
};

// Text in code page 1252, the component layer's. A distinct type, so that UTF-8 text (the source
// files', the system's) never becomes one without a conversion that the code states:
// - "Transação"_a, FromSystem / FromUtf8 or AnsiString(u8"...") convert from UTF-8;
// - AnsiString(bytes) takes bytes that are code page 1252 already (the database's, a file's);
// - an ASCII literal is taken as it is where an AsciiLiteral is accepted.
// It reads like std::string (and converts to std::string_view and const std::string& for code
// that only reads the bytes); what it builds from text is an AnsiString again.
class AnsiString {
 public:
  using value_type = char;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using traits_type = std::char_traits<char>;
  using reference = char&;
  using const_reference = const char&;
  using iterator = std::string::iterator;
  using const_iterator = std::string::const_iterator;
  using reverse_iterator = std::string::reverse_iterator;
  using const_reverse_iterator = std::string::const_reverse_iterator;
  static constexpr size_type npos = std::string::npos;

  AnsiString() = default;
  // An ASCII literal: AnsiString("W"), or "W" where an AnsiString is taken by a function or operator.
  AnsiString(AsciiLiteral text) : bytes_(text.View()) {}
  // Bytes that are code page 1252 already (read from the database, a file in that code page, a
  // piece of another AnsiString). A string literal is none of these: it is refused here.
  template <class Bytes>
  requires std::same_as<std::remove_cvref_t<Bytes>, std::string>
  explicit AnsiString(Bytes&& cp1252Bytes) : bytes_(std::forward<Bytes>(cp1252Bytes)) {}
  template <class View>
  requires std::same_as<std::remove_cvref_t<View>, std::string_view>
  explicit AnsiString(const View& cp1252Bytes) : bytes_(cp1252Bytes) {}
  template <class Pointer>
  requires std::same_as<Pointer, const char*> || std::same_as<Pointer, char*>
  explicit AnsiString(const Pointer& cp1252Bytes) : bytes_(cp1252Bytes) {}
  template <std::size_t N>
  explicit AnsiString(char (&buffer)[N]) : bytes_(buffer) {}
  explicit AnsiString(const char* cp1252Bytes, size_type size) : bytes_(cp1252Bytes, size) {}
  explicit AnsiString(size_type count, char c) : bytes_(count, c) {}
  template <class InputIt>
  requires(!std::integral<InputIt>) explicit AnsiString(InputIt first, InputIt last) : bytes_(first, last) {}
  // A UTF-8 literal (u8"Transação"), converted.
  explicit AnsiString(std::u8string_view utf8);

  static AnsiString FromUtf8(std::string_view utf8);

  AnsiString& operator=(AsciiLiteral text) { return assign(text); }

  // The bytes.
  const std::string& Bytes() const& noexcept { return bytes_; }
  std::string&& Bytes() && noexcept { return std::move(bytes_); }
  operator std::string_view() const noexcept { return bytes_; }
  operator const std::string&() const noexcept { return bytes_; }

  size_type size() const noexcept { return bytes_.size(); }
  size_type length() const noexcept { return bytes_.size(); }
  bool empty() const noexcept { return bytes_.empty(); }
  size_type capacity() const noexcept { return bytes_.capacity(); }
  void reserve(size_type n) { bytes_.reserve(n); }
  void resize(size_type n, char c = '\0') { bytes_.resize(n, c); }
  void clear() noexcept { bytes_.clear(); }
  void shrink_to_fit() { bytes_.shrink_to_fit(); }
  const char* c_str() const noexcept { return bytes_.c_str(); }
  const char* data() const noexcept { return bytes_.data(); }
  char* data() noexcept { return bytes_.data(); }

  char& operator[](size_type i) { return bytes_[i]; }
  const char& operator[](size_type i) const { return bytes_[i]; }
  char& at(size_type i) { return bytes_.at(i); }
  const char& at(size_type i) const { return bytes_.at(i); }
  char& front() { return bytes_.front(); }
  const char& front() const { return bytes_.front(); }
  char& back() { return bytes_.back(); }
  const char& back() const { return bytes_.back(); }

  iterator begin() noexcept { return bytes_.begin(); }
  iterator end() noexcept { return bytes_.end(); }
  const_iterator begin() const noexcept { return bytes_.begin(); }
  const_iterator end() const noexcept { return bytes_.end(); }
  const_iterator cbegin() const noexcept { return bytes_.cbegin(); }
  const_iterator cend() const noexcept { return bytes_.cend(); }
  reverse_iterator rbegin() noexcept { return bytes_.rbegin(); }
  reverse_iterator rend() noexcept { return bytes_.rend(); }
  const_reverse_iterator rbegin() const noexcept { return bytes_.rbegin(); }
  const_reverse_iterator rend() const noexcept { return bytes_.rend(); }

  // Searching reads any bytes; what is added must be code page 1252 text already.
  size_type find(std::string_view s, size_type pos = 0) const noexcept { return View().find(s, pos); }
  size_type find(char c, size_type pos = 0) const noexcept { return bytes_.find(c, pos); }
  size_type rfind(std::string_view s, size_type pos = npos) const noexcept { return View().rfind(s, pos); }
  size_type rfind(char c, size_type pos = npos) const noexcept { return bytes_.rfind(c, pos); }
  size_type find_first_of(std::string_view s, size_type pos = 0) const noexcept { return View().find_first_of(s, pos); }
  size_type find_first_of(char c, size_type pos = 0) const noexcept { return bytes_.find_first_of(c, pos); }
  size_type find_first_not_of(std::string_view s, size_type pos = 0) const noexcept {
    return View().find_first_not_of(s, pos);
  }
  size_type find_first_not_of(char c, size_type pos = 0) const noexcept { return bytes_.find_first_not_of(c, pos); }
  size_type find_last_of(std::string_view s, size_type pos = npos) const noexcept {
    return View().find_last_of(s, pos);
  }
  size_type find_last_of(char c, size_type pos = npos) const noexcept { return bytes_.find_last_of(c, pos); }
  size_type find_last_not_of(std::string_view s, size_type pos = npos) const noexcept {
    return View().find_last_not_of(s, pos);
  }
  size_type find_last_not_of(char c, size_type pos = npos) const noexcept { return bytes_.find_last_not_of(c, pos); }
  bool starts_with(std::string_view s) const noexcept { return View().starts_with(s); }
  bool starts_with(char c) const noexcept { return View().starts_with(c); }
  bool ends_with(std::string_view s) const noexcept { return View().ends_with(s); }
  bool ends_with(char c) const noexcept { return View().ends_with(c); }
  int compare(std::string_view s) const noexcept { return View().compare(s); }
  int compare(size_type pos, size_type count, std::string_view s) const { return View().compare(pos, count, s); }
  AnsiString substr(size_type pos = 0, size_type count = npos) const { return AnsiString(bytes_.substr(pos, count)); }

  AnsiString& assign(const AnsiString& s) {
    bytes_.assign(s.bytes_);
    return *this;
  }
  AnsiString& assign(AsciiLiteral s) {
    bytes_.assign(s.View());
    return *this;
  }
  AnsiString& assign(size_type count, char c) {
    bytes_.assign(count, c);
    return *this;
  }
  AnsiString& append(const AnsiString& s) {
    bytes_.append(s.bytes_);
    return *this;
  }
  AnsiString& append(const AnsiString& s, size_type pos, size_type count = npos) {
    bytes_.append(s.bytes_, pos, count);
    return *this;
  }
  // Bytes known to be code page 1252 (a view of another AnsiString, of a database value).
  AnsiString& AppendBytes(std::string_view cp1252Bytes) {
    bytes_.append(cp1252Bytes);
    return *this;
  }
  AnsiString& append(AsciiLiteral s) {
    bytes_.append(s.View());
    return *this;
  }
  AnsiString& append(size_type count, char c) {
    bytes_.append(count, c);
    return *this;
  }
  template <class InputIt>
  requires(!std::integral<InputIt>) AnsiString& append(InputIt first, InputIt last) {
    bytes_.append(first, last);
    return *this;
  }
  AnsiString& operator+=(const AnsiString& s) { return append(s); }
  AnsiString& operator+=(AsciiLiteral s) { return append(s); }
  AnsiString& operator+=(char c) {
    bytes_.push_back(c);
    return *this;
  }
  void push_back(char c) { bytes_.push_back(c); }
  void pop_back() { bytes_.pop_back(); }
  AnsiString& insert(size_type pos, const AnsiString& s) {
    bytes_.insert(pos, s.bytes_);
    return *this;
  }
  AnsiString& insert(size_type pos, AsciiLiteral s) {
    bytes_.insert(pos, s.View());
    return *this;
  }
  AnsiString& insert(size_type pos, size_type count, char c) {
    bytes_.insert(pos, count, c);
    return *this;
  }
  iterator insert(const_iterator at, char c) { return bytes_.insert(at, c); }
  AnsiString& replace(size_type pos, size_type count, const AnsiString& s) {
    bytes_.replace(pos, count, s.bytes_);
    return *this;
  }
  AnsiString& replace(size_type pos, size_type count, AsciiLiteral s) {
    bytes_.replace(pos, count, s.View());
    return *this;
  }
  AnsiString& replace(size_type pos, size_type count, size_type count2, char c) {
    bytes_.replace(pos, count, count2, c);
    return *this;
  }
  AnsiString& erase(size_type pos = 0, size_type count = npos) {
    bytes_.erase(pos, count);
    return *this;
  }
  iterator erase(const_iterator at) { return bytes_.erase(at); }
  iterator erase(const_iterator first, const_iterator last) { return bytes_.erase(first, last); }
  void swap(AnsiString& other) noexcept { bytes_.swap(other.bytes_); }

  friend bool operator==(const AnsiString& a, const AnsiString& b) noexcept { return a.bytes_ == b.bytes_; }
  friend bool operator==(const AnsiString& a, std::string_view b) noexcept { return a.View() == b; }
  friend std::strong_ordering operator<=>(const AnsiString& a, const AnsiString& b) noexcept {
    return a.View() <=> b.View();
  }
  friend std::strong_ordering operator<=>(const AnsiString& a, std::string_view b) noexcept { return a.View() <=> b; }

  friend AnsiString operator+(const AnsiString& a, const AnsiString& b) { return Joined(a, b); }
  friend AnsiString operator+(AnsiString&& a, const AnsiString& b) { return std::move(a.append(b)); }
  friend AnsiString operator+(const AnsiString& a, AsciiLiteral b) { return Joined(a, b); }
  friend AnsiString operator+(AnsiString&& a, AsciiLiteral b) { return std::move(a.append(b)); }
  friend AnsiString operator+(AsciiLiteral a, const AnsiString& b) { return Joined(a, b); }
  friend AnsiString operator+(AsciiLiteral a, AnsiString&& b) { return std::move(b.insert(0, a)); }
  friend AnsiString operator+(const AnsiString& a, char b) { return AnsiString(a.bytes_ + b); }
  friend AnsiString operator+(AnsiString&& a, char b) { return std::move(a += b); }
  friend AnsiString operator+(char a, const AnsiString& b) { return AnsiString(a + b.bytes_); }

 private:
  std::string_view View() const noexcept { return bytes_; }
  // Both texts in one allocation.
  static AnsiString Joined(std::string_view a, std::string_view b) {
    std::string out;
    out.reserve(a.size() + b.size());
    out.append(a).append(b);
    return AnsiString(std::move(out));
  }

  std::string bytes_;
};

std::ostream& operator<<(std::ostream& out, const AnsiString& text);

// For unordered containers keyed by AnsiString.
struct AnsiStringHash {
  std::size_t operator()(const AnsiString& text) const noexcept { return std::hash<std::string_view>{}(text); }
};

using WideString = std::u16string;

// Code page 1252 <-> UTF-16. Every byte value survives the round trip: the five bytes that code
// page 1252 leaves undefined map to the control characters of the same value.
WideString ToWide(std::string_view ansi);
AnsiString ToAnsi(std::u16string_view wide);

// Code page 1252 <-> UTF-8 (the system's encoding). Characters outside code page 1252 become '?';
// bytes that are not valid UTF-8 are taken as code page 1252 bytes.
AnsiString FromSystem(std::string_view utf8);
std::string ToSystem(std::string_view ansi);

// A source literal (UTF-8) as code page 1252 text: "Transação Inválida"_a. Code outside the
// namespace reaches it with `using namespace morvanta;` or `using namespace morvanta::literals;`.
inline namespace literals {
AnsiString operator""_a(const char* text, std::size_t length);
}

// Letter-by-letter case mapping in code page 1252, accented letters included.
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
AnsiString AnsiUpperCase(std::string_view text);
AnsiString AnsiLowerCase(std::string_view text);
WideString WideUpperCase(std::u16string_view text);

// Case-insensitive comparison in code page 1252 (and for wide text, through it).
bool SameText(std::string_view a, std::string_view b);
bool SameText(std::u16string_view a, std::u16string_view b);
int CompareText(std::string_view a, std::string_view b);

// Trimming removes leading and trailing blanks and control characters (codes up to 32).
AnsiString Trim(std::string_view text);
AnsiString TrimLeft(std::string_view text);
AnsiString TrimRight(std::string_view text);
WideString Trim(std::u16string_view text);

// Plain text replacement of every occurrence (case-sensitive).
AnsiString ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Number <-> text, in the platform's conventions.
AnsiString IntToStr(std::int64_t value);
// Shortest text with at most 15 significant digits, point as the decimal separator unless told.
AnsiString FloatToStr(double value, char decimalSeparator = '.');
bool TryStrToInt(std::string_view text, std::int64_t& value);
bool TryStrToFloat(std::string_view text, double& value, char decimalSeparator = '.');

}  // namespace morvanta
