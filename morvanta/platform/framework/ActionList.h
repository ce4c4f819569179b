#pragma once
// Action lists: named commands with a caption, a keyboard shortcut, an enabled switch and an
// execute handler, owned by a component (normally a form). They hold no window code: the user
// interface layer runs an action when its shortcut is pressed in the window of the list's owner.

#include <cstdint>
#include <functional>
#include <vector>

#include "morvanta/platform/framework/Component.h"

namespace morvanta {

// A keyboard shortcut: a key code (letters and digits as their upper-case characters, function
// keys from kKeyF1) plus modifier bits; 0 is no shortcut.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut kKeyF1 = 0x70;

// "Ctrl+Shift+E" -> scCtrl | scShift | 'E'. Modifier names and keys ignore case; 0 when the text
// names no known key.
TShortCut TextToShortCut(std::string_view text);
AnsiString ShortCutToText(TShortCut shortCut);

class TActionList;

class TCustomAction : public TComponent {
 public:
  explicit TCustomAction(TComponent* owner);
  ~TCustomAction() override;
  static constexpr const char* kClassName = "TCustomAction";
  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "ActnList"; }

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(AnsiString caption) { caption_ = std::move(caption); }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut shortCut) { shortCut_ = shortCut; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  TActionList* ActionList() const { return actionList_; }
  void SetActionList(TActionList* list);

  std::function<void(TCustomAction&)> OnExecute;
  // Runs OnExecute when the action is enabled and has a handler; true when it ran.
  bool Execute();

 private:
  AnsiString caption_;
  TShortCut shortCut_ = 0;
  bool enabled_ = true;
  TActionList* actionList_ = nullptr;
};

class TActionList : public TComponent {
 public:
  explicit TActionList(TComponent* owner) : TComponent(owner) {}
  ~TActionList() override;
  static constexpr const char* kClassName = "TActionList";
  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "ActnList"; }

  int ActionCount() const { return static_cast<int>(actions_.size()); }
  TCustomAction* Actions(int index) const { return actions_.at(static_cast<std::size_t>(index)); }
  // Runs the first enabled action of the list with this shortcut; true when one ran.
  bool IsShortCut(TShortCut shortCut);

 private:
  friend class TCustomAction;
  std::vector<TCustomAction*> actions_;  // not owned: an action is owned like any component
};

// Runs the first action with this shortcut in the action lists that `owner` owns, in creation
// order; true when one ran.
bool ExecuteShortCut(TComponent& owner, TShortCut shortCut);

}  // namespace morvanta
