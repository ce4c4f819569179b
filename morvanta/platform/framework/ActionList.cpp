#include "morvanta/platform/framework/ActionList.h"

#include <algorithm>
#include <array>

namespace morvanta {

namespace {

struct Modifier {
  const char* name;
  TShortCut bit;
};
constexpr std::array<Modifier, 3> kModifiers{{{"Shift", scShift}, {"Ctrl", scCtrl}, {"Alt", scAlt}}};

// A key name: one letter or digit, or F1 to F12.
TShortCut KeyFromText(std::string_view name) {
  if (name.size() == 1) {
    const char c = AnsiUpperChar(name[0]);
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<TShortCut>(c);
    return 0;
  }
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    std::int64_t number = 0;
    if (TryStrToInt(name.substr(1), number) && number >= 1 && number <= 12)
      return static_cast<TShortCut>(kKeyF1 + number - 1);
  }
  return 0;
}

}  // namespace

TShortCut TextToShortCut(std::string_view text) {
  TShortCut modifiers = 0;
  std::size_t start = 0;
  for (std::size_t plus = text.find('+'); plus != std::string_view::npos; plus = text.find('+', start)) {
    const std::string_view part = text.substr(start, plus - start);
    auto found =
        std::find_if(kModifiers.begin(), kModifiers.end(), [&](const Modifier& m) { return SameText(part, m.name); });
    if (found == kModifiers.end()) return 0;
    modifiers |= found->bit;
    start = plus + 1;
  }
  const TShortCut key = KeyFromText(text.substr(start));
  return key == 0 ? 0 : static_cast<TShortCut>(modifiers | key);
}

AnsiString ShortCutToText(TShortCut shortCut) {
  const TShortCut key = shortCut & 0xFF;
  if (key == 0) return AnsiString();
  AnsiString text;
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scAlt) text += "Alt+";
  if (key >= kKeyF1 && key < kKeyF1 + 12) return text + "F" + IntToStr(key - kKeyF1 + 1);
  return text + static_cast<char>(key);
}

TCustomAction::TCustomAction(TComponent* owner) : TComponent(owner) {}

TCustomAction::~TCustomAction() { SetActionList(nullptr); }

void TCustomAction::SetActionList(TActionList* list) {
  if (list == actionList_) return;
  if (actionList_) {
    auto& actions = actionList_->actions_;
    actions.erase(std::remove(actions.begin(), actions.end(), this), actions.end());
  }
  actionList_ = list;
  if (actionList_) actionList_->actions_.push_back(this);
}

bool TCustomAction::Execute() {
  if (!enabled_ || !OnExecute) return false;
  OnExecute(*this);
  return true;
}

TActionList::~TActionList() {
  // Actions owned elsewhere outlive the list: they forget it.
  while (!actions_.empty()) actions_.back()->SetActionList(nullptr);
}

bool TActionList::IsShortCut(TShortCut shortCut) {
  if (shortCut == 0) return false;
  for (TCustomAction* action : actions_)
    if (action->ShortCut() == shortCut && action->Enabled()) return action->Execute();
  return false;
}

bool ExecuteShortCut(TComponent& owner, TShortCut shortCut) {
  for (int i = 0; i < owner.ComponentCount(); ++i) {
    auto* list = dynamic_cast<TActionList*>(owner.Components(i));
    if (list && list->IsShortCut(shortCut)) return true;
  }
  return false;
}

}  // namespace morvanta
