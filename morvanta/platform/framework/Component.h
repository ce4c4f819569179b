#pragma once
// The owner-based component model: a component belongs to its owner, which frees it, finds it by
// name and lists it in creation order. Components that hold plain links to others ask to be told
// when those go (FreeNotification), so that no link outlives its target.

#include <cstdint>
#include <vector>

#include "morvanta/platform/core/Text.h"

namespace morvanta {

enum class TOperation { opInsert, opRemove };
// Whether a change of design state reaches the components a component owns.
enum class TDesignScope { ThisOnly, WithOwned };

class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const AnsiString& Name() const { return name_; }
  void SetName(AnsiString name) { name_ = std::move(name); }
  void SetName(AsciiLiteral name) { name_ = name; }
  std::int32_t Tag() const { return tag_; }
  void SetTag(std::int32_t tag) { tag_ = tag; }

  // Design state: the component is being edited in a form designer.
  bool Designing() const { return designing_; }
  void SetDesigning(bool designing, TDesignScope scope = TDesignScope::ThisOnly) {
    designing_ = designing;
    if (scope == TDesignScope::WithOwned)
      for (TComponent* owned : components_) owned->SetDesigning(designing, scope);
  }
  bool Destroying() const { return destroying_; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(static_cast<std::size_t>(index)); }
  TComponent* FindComponent(std::string_view name) const;  // case-insensitive; nullptr when missing

  // Type information: the class name and the unit that declares the class.
  static constexpr const char* kClassName = "TComponent";
  virtual const char* ClassName() const { return kClassName; }
  virtual const char* UnitName() const { return "Classes"; }

  // Asks to be told through Notification when `other` is destroyed (and tells it the same way).
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

 protected:
  // Called on every component registered by FreeNotification when `component` is destroyed.
  virtual void Notification(TComponent* component, TOperation operation);

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  TComponent* owner_ = nullptr;
  AnsiString name_;
  std::int32_t tag_ = 0;
  bool designing_ = false;
  bool destroying_ = false;
  std::vector<TComponent*> components_;    // owned, in creation order
  std::vector<TComponent*> freeNotifies_;  // told when this component goes
};

}  // namespace morvanta
