#pragma once
// The stored-procedure component: the framework's stored procedure with `PrepareProc`, which
// prepares the call afresh and reports a failure with the names of the component and its owner.

#include "morvanta/platform/framework/SQLStoredProc.h"

namespace morvanta {

class TMorvantaStoredProc : public TSQLStoredProc {
 public:
  explicit TMorvantaStoredProc(TComponent* owner) : TSQLStoredProc(owner) {}

  static constexpr const char* kClassName = "TMorvantaStoredProc";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "MorvantaStoredProc"; }

  void PrepareProc();
};

}  // namespace morvanta
