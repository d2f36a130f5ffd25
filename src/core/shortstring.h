#pragma once
// ShortString: one length byte and at most 255 single-byte characters. Every
// operation that would build a longer text keeps the first 255 bytes.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vestil {

class ShortString {
 public:
  static constexpr size_t kMax = 255;

  ShortString() = default;
  // Copies move only the bytes in use.
  ShortString(const ShortString& o) : len_(o.len_) { std::memcpy(buf_, o.buf_, len_); }
  ShortString& operator=(const ShortString& o) {
    if (this != &o) {
      len_ = o.len_;
      std::memmove(buf_, o.buf_, len_);
    }
    return *this;
  }
  ShortString(std::string_view v) { assign(v); }  // NOLINT: implicit on purpose
  ShortString(const char* s) { assign(std::string_view(s)); }  // NOLINT

  void assign(std::string_view v) {
    len_ = static_cast<uint8_t>(v.size() > kMax ? kMax : v.size());
    // Names, numbers and separators are a few bytes: a loop beats a call.
    if (len_ <= 16 && (v.data() >= buf_ + kMax || v.data() + len_ <= buf_)) {
      for (size_t i = 0; i < len_; ++i) buf_[i] = v[i];
    } else if (len_) {
      std::memmove(buf_, v.data(), len_);
    }
  }
  void assign(char c) {
    len_ = 1;
    buf_[0] = c;
  }
  void append(std::string_view v) {
    size_t room = kMax - len_;
    size_t n = v.size() < room ? v.size() : room;
    if (n) std::memmove(buf_ + len_, v.data(), n);
    len_ = static_cast<uint8_t>(len_ + n);
  }
  void push_back(char c) {
    if (len_ < kMax) buf_[len_++] = c;
  }
  void clear() { len_ = 0; }
  void resize(size_t n) { len_ = static_cast<uint8_t>(n > kMax ? kMax : n); }

  size_t size() const { return len_; }
  bool empty() const { return len_ == 0; }
  const char* data() const { return buf_; }
  char* data() { return buf_; }
  char operator[](size_t i) const { return buf_[i]; }
  char& operator[](size_t i) { return buf_[i]; }
  uint8_t byte(size_t i) const { return static_cast<uint8_t>(buf_[i]); }
  std::string_view view() const { return std::string_view(buf_, len_); }
  operator std::string_view() const { return view(); }  // NOLINT
  std::string str() const { return std::string(buf_, len_); }

  friend bool operator==(const ShortString& a, const ShortString& b) { return a.view() == b.view(); }
  friend bool operator==(const ShortString& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const ShortString& a, const char* b) { return a.view() == std::string_view(b); }

 private:
  uint8_t len_ = 0;
  char buf_[kMax];
};

inline uint8_t Byte(char c) { return static_cast<uint8_t>(c); }

// Upper-casing of names: a..z and the Latin-1 letters 0xE0..0xF6, 0xF8..0xFE
// move 32 codes down; 0xF7 and 0xFF stay.
inline char UpperLatin1(char c) {
  uint8_t b = Byte(c);
  if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) return static_cast<char>(b - 32);
  return c;
}

// Removes the characters of code 0 to 32 from both ends.
inline std::string_view TrimView(std::string_view v) {
  size_t a = 0, b = v.size();
  while (a < b && Byte(v[a]) <= 32) ++a;
  while (b > a && Byte(v[b - 1]) <= 32) --b;
  return v.substr(a, b - a);
}

inline ShortString UpperTrim(std::string_view v) {
  ShortString s(TrimView(v));
  for (size_t i = 0; i < s.size(); ++i) s[i] = UpperLatin1(s[i]);
  return s;
}

inline ShortString Upper(std::string_view v) {
  ShortString s(v);
  for (size_t i = 0; i < s.size(); ++i) s[i] = UpperLatin1(s[i]);
  return s;
}

}  // namespace vestil
