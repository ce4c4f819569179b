#pragma once
// The SQL driver framework's update-statement holder: the statements that write a modified, an
// inserted and a deleted row, also reachable by update kind.

#include "morvanta/platform/framework/Component.h"
#include "morvanta/platform/core/Strings.h"

namespace morvanta {

enum TUpdateKind { ukModify, ukInsert, ukDelete };

class TUpdateSQL : public TComponent {
 public:
  explicit TUpdateSQL(TComponent* owner) : TComponent(owner) {}

  static constexpr const char* kClassName = "TUpdateSQL";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "DBTables"; }

  TWideStringList& ModifySQL() { return modifySQL_; }
  TWideStringList& InsertSQL() { return insertSQL_; }
  TWideStringList& DeleteSQL() { return deleteSQL_; }
  TWideStringList& SQL(TUpdateKind kind);

 private:
  TWideStringList modifySQL_, insertSQL_, deleteSQL_;
};

}  // namespace morvanta
