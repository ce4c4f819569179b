#pragma once
// The columns of a Firebird message (a result row, a procedure's outputs): their SQL types as the
// server describes them and the framework's field types they map to.
//
// Mapping: SMALLINT ftSmallint, INTEGER ftInteger, BIGINT ftLargeint, NUMERIC/DECIMAL ftBCD (Size
// is the scale), FLOAT/DOUBLE ftFloat, VARCHAR ftString, CHAR ftFixedChar (Size in characters),
// DATE ftDate, TIME ftTime, TIMESTAMP ftDateTime, text blobs ftMemo, other blobs ftBlob, BOOLEAN
// ftBoolean.

#include "morvanta/platform/core/FieldTypes.h"
#include "morvanta/platform/core/Text.h"

namespace morvanta::fb {

struct Column {
  WideString name;       // the column's alias as the statement names it
  unsigned sqlType = 0;  // SQL_... without the nullable bit
  int subType = 0;
  int scale = 0;
  unsigned length = 0;  // bytes in the message
  unsigned charSet = 0;
  unsigned offset = 0;
  unsigned nullOffset = 0;
  TFieldType fieldType = ftUnknown;
  int size = 0;
  // The column's text is UTF-8 (metadata text, or a UTF-8 connection) and is read as code page 1252.
  bool utf8Text = false;
};

TFieldType FieldTypeOf(unsigned sqlType, int subType, int scale);

// Bytes one character takes at most in a character set (Firebird's character set ids).
unsigned MaxBytesPerChar(unsigned charSet);

}  // namespace morvanta::fb
