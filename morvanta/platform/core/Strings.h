#pragma once
// String lists: the component layer's 8-bit `TStringList` and the framework's wide
// `TWideStringList`. The whole text joins the lines, each ended by carriage return and line feed;
// writing the text splits it at carriage return, line feed or both. A change notification runs
// after every change (clear, add, assignment), or once at the end of an update.

#include <concepts>
#include <functional>
#include <string>
#include <vector>

#include "morvanta/platform/core/Text.h"

namespace morvanta {

template <class Str>
class TBasicStringList {
 public:
  using Char = typename Str::value_type;
  using View = std::basic_string_view<Char>;
  using ChangeEvent = std::function<void(TBasicStringList&)>;

  int Count() const { return static_cast<int>(lines_.size()); }
  const Str& Strings(int index) const { return lines_.at(static_cast<std::size_t>(index)); }
  const Str& operator[](int index) const { return Strings(index); }
  const std::vector<Str>& Lines() const { return lines_; }

  void Add(Str line) {
    lines_.push_back(std::move(line));
    Changed();
  }
  void Add(AsciiLiteral line) requires std::same_as<Str, AnsiString> { Add(Str(line)); }
  void Clear() {
    lines_.clear();
    Changed();
  }
  void Assign(const TBasicStringList& other) {
    if (&other != this) lines_ = other.lines_;
    Changed();
  }
  void Delete(int index) {
    lines_.erase(lines_.begin() + index);
    Changed();
  }

  Str Text() const {
    Str out;
    for (const Str& line : lines_) {
      out += line;
      out.push_back(Char('\r'));
      out.push_back(Char('\n'));
    }
    return out;
  }
  // The whole text, as code page 1252 (or wide) text; an ASCII literal for an AnsiString list.
  void SetText(const Str& text) { SetLines(text); }
  void SetText(AsciiLiteral text) requires std::same_as<Str, AnsiString> { SetLines(text.View()); }

  // name=value lines: the value of the first line whose name matches, ignoring case; empty when absent.
  Str Values(View name) const {
    int i = IndexOfName(name);
    if (i < 0) return Str();
    const Str& line = lines_[static_cast<std::size_t>(i)];
    return line.substr(line.find(Char('=')) + 1);
  }
  int IndexOfName(View name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const Str& line = lines_[i];
      std::size_t eq = line.find(Char('='));
      if (eq != Str::npos && SameText(View(line).substr(0, eq), name)) return static_cast<int>(i);
    }
    return -1;
  }
  int IndexOf(View line) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
      if (SameText(View(lines_[i]), line)) return static_cast<int>(i);
    return -1;
  }

  void BeginUpdate() { ++updateCount_; }
  void EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && changedDuringUpdate_) {
      changedDuringUpdate_ = false;
      Changed();
    }
  }

  ChangeEvent OnChange;

 private:
  void SetLines(View text) {
    lines_.clear();
    std::size_t start = 0, i = 0;
    while (i < text.size()) {
      if (text[i] == Char('\r') || text[i] == Char('\n')) {
        lines_.push_back(Str(text.substr(start, i - start)));
        if (text[i] == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) ++i;
        start = ++i;
      } else {
        ++i;
      }
    }
    if (start < text.size()) lines_.push_back(Str(text.substr(start)));
    Changed();
  }

  void Changed() {
    if (updateCount_ > 0) {
      changedDuringUpdate_ = true;
      return;
    }
    if (OnChange) OnChange(*this);
  }

  std::vector<Str> lines_;
  int updateCount_ = 0;
  bool changedDuringUpdate_ = false;
};

using TStringList = TBasicStringList<AnsiString>;
using TStrings = TStringList;
using TWideStringList = TBasicStringList<WideString>;
using TWideStrings = TWideStringList;

}  // namespace morvanta
