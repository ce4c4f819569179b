#include "morvanta/platform/firebird/Cursor.h"

#include "morvanta/platform/firebird/detail/Cursor.h"

namespace morvanta::fb {

Cursor::Cursor(std::unique_ptr<detail::Cursor> cursor) : cursor_(std::move(cursor)) {}
Cursor::~Cursor() = default;

bool Cursor::Next() { return cursor_->Next(); }
bool Cursor::Eof() const { return cursor_->Eof(); }
void Cursor::Close() { cursor_->Close(); }
void Cursor::SetReadAhead(unsigned rows) { cursor_->SetReadAhead(rows); }

const std::vector<fb::Column>& Cursor::Columns() const { return cursor_->Row().Columns(); }
bool Cursor::IsNull(int index) const { return cursor_->Row().IsNull(index); }
std::string_view Cursor::Text(int index) const { return cursor_->Row().Text(index); }
AnsiString Cursor::AsString(int index) const { return cursor_->Row().AsString(index); }
std::int64_t Cursor::AsInteger(int index) const { return cursor_->Row().AsInteger(index); }
double Cursor::AsFloat(int index) const { return cursor_->Row().AsFloat(index); }
TDateTime Cursor::AsDateTime(int index) const { return cursor_->Row().AsDateTime(index); }
bool Cursor::AsBoolean(int index) const { return cursor_->Row().AsBoolean(index); }
TVariant Cursor::Value(int index) const { return cursor_->Row().Value(index); }

}  // namespace morvanta::fb
