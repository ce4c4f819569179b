#pragma once
// The update object: the framework's update-statement holder with a fourth list, `RefreshSQL`,
// carried for the application.

#include <memory>

#include "morvanta/platform/core/Strings.h"
#include "morvanta/platform/framework/UpdateSQL.h"

namespace morvanta {

class TMorvantaUpDateObject : public TUpdateSQL {
 public:
  explicit TMorvantaUpDateObject(TComponent* owner);
  ~TMorvantaUpDateObject() override;

  static constexpr const char* kClassName = "TMorvantaUpDateObject";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "MorvantaUpDateObject"; }

  TStrings& RefreshSQL() { return *refreshSQL_; }
  // Copies the lines; the given list stays the caller's.
  void SetRefreshSQL(const TStrings& lines) { refreshSQL_->Assign(lines); }

 private:
  std::unique_ptr<TStrings> refreshSQL_;
};

}  // namespace morvanta
