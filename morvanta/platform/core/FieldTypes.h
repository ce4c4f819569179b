#pragma once
// Field type codes, parameter kinds and the transaction descriptor of the framework.

#include <cstdint>

namespace morvanta {

// The order is fixed: the change log and stored forms rely on the numeric codes.
enum TFieldType : int {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftADT,
  ftArray,
  ftReference,
  ftDataSet,
  ftOraBlob,
  ftOraClob,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid,
  ftTimeStamp,
  ftFMTBcd,
  ftFixedWideChar,
  ftWideMemo,
  ftOraTimeStamp,
  ftOraInterval
};

enum TParamType : int { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

enum TTransIsolationLevel : std::int32_t { xilREADCOMMITTED, xilREPEATABLEREAD, xilDIRTYREAD, xilCUSTOM };

// Passed by value to the connection's start, commit and rollback.
struct TTransactionDesc {
  std::uint32_t TransactionID = 0;
  std::uint32_t GlobalID = 0;
  TTransIsolationLevel IsolationLevel = xilREADCOMMITTED;
  std::uint32_t CustomIsolation = 0;
};
static_assert(sizeof(TTransactionDesc) == 16, "four 32-bit fields");

inline bool IsBlobType(TFieldType t) { return t == ftBlob || t == ftOraBlob; }

}  // namespace morvanta
