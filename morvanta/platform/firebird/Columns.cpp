#include "morvanta/platform/firebird/detail/Client.h"
#include "morvanta/platform/firebird/detail/MessageColumns.h"

namespace morvanta::fb {

namespace {

constexpr unsigned kUnicodeFss = 3;
constexpr unsigned kUtf8 = 4;

bool IsText(unsigned sqlType) { return sqlType == SQL_TEXT || sqlType == SQL_VARYING; }

}  // namespace

unsigned MaxBytesPerChar(unsigned charSet) {
  switch (charSet) {
    case kUnicodeFss:
      return 3;
    case kUtf8:
      return 4;
    case 5:   // SJIS_0208
    case 6:   // EUCJ_0208
    case 44:  // KSC_5601
    case 56:  // BIG_5
    case 57:  // GB_2312
    case 67:  // GBK
    case 68:  // CP943C
      return 2;
    case 69:  // GB18030
      return 4;
    default:
      return 1;
  }
}

TFieldType FieldTypeOf(unsigned sqlType, int subType, int scale) {
  switch (sqlType) {
    case SQL_SHORT:
      return scale < 0 ? ftBCD : ftSmallint;
    case SQL_LONG:
      return scale < 0 ? ftBCD : ftInteger;
    case SQL_INT64:
      return scale < 0 ? ftBCD : ftLargeint;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return ftFloat;
    case SQL_VARYING:
      return ftString;
    case SQL_TEXT:
      return ftFixedChar;
    case SQL_TYPE_DATE:
      return ftDate;
    case SQL_TYPE_TIME:
      return ftTime;
    case SQL_TIMESTAMP:
      return ftDateTime;
    case SQL_BLOB:
      return subType == isc_blob_text ? ftMemo : ftBlob;
    case SQL_BOOLEAN:
      return ftBoolean;
    case SQL_ARRAY:
      return ftArray;
    default:
      return ftUnknown;
  }
}

std::vector<Column> detail::DescribeColumns(Firebird::IMessageMetadata* metadata, bool utf8Connection) {
  detail::Status status;
  const unsigned count = metadata->getCount(&status);
  std::vector<Column> columns(count);
  for (unsigned i = 0; i < count; ++i) {
    Column& c = columns[i];
    const char* alias = metadata->getAlias(&status, i);
    if (!alias || !*alias) alias = metadata->getField(&status, i);
    c.name = ToWide(FromSystem(alias ? alias : ""));
    c.sqlType = metadata->getType(&status, i) & ~1u;
    c.subType = metadata->getSubType(&status, i);
    c.scale = metadata->getScale(&status, i);
    c.length = metadata->getLength(&status, i);
    c.charSet = metadata->getCharSet(&status, i);
    c.offset = metadata->getOffset(&status, i);
    c.nullOffset = metadata->getNullOffset(&status, i);
    c.fieldType = FieldTypeOf(c.sqlType, c.subType, c.scale);
    if (IsText(c.sqlType)) c.size = static_cast<int>(c.length / MaxBytesPerChar(c.charSet));
    else if (c.fieldType == ftBCD) c.size = -c.scale;
    const bool textual = IsText(c.sqlType) || c.fieldType == ftMemo;
    c.utf8Text = textual && (utf8Connection || c.charSet == kUnicodeFss);
  }
  return columns;
}

}  // namespace morvanta::fb
