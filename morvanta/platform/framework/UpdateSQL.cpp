#include "morvanta/platform/framework/UpdateSQL.h"

namespace morvanta {

TWideStringList& TUpdateSQL::SQL(TUpdateKind kind) {
  switch (kind) {
    case ukInsert:
      return insertSQL_;
    case ukDelete:
      return deleteSQL_;
    case ukModify:
    default:
      return modifySQL_;
  }
}

}  // namespace morvanta
