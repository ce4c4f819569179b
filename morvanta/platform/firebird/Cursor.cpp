#include "morvanta/platform/firebird/Cursor.h"

#include "morvanta/platform/firebird/detail/Cursor.h"

FirebirdCursor::FirebirdCursor(std::unique_ptr<fb::Cursor> cursor) : cursor_(std::move(cursor)) {}
FirebirdCursor::~FirebirdCursor() = default;

bool FirebirdCursor::Next() { return cursor_->Next(); }
bool FirebirdCursor::Eof() const { return cursor_->Eof(); }
void FirebirdCursor::Close() { cursor_->Close(); }
void FirebirdCursor::SetReadAhead(unsigned rows) { cursor_->SetReadAhead(rows); }

const std::vector<fb::Column>& FirebirdCursor::Columns() const { return cursor_->Row().Columns(); }
bool FirebirdCursor::IsNull(int index) const { return cursor_->Row().IsNull(index); }
std::string_view FirebirdCursor::Text(int index) const { return cursor_->Row().Text(index); }
AnsiString FirebirdCursor::AsString(int index) const { return cursor_->Row().AsString(index); }
std::int64_t FirebirdCursor::AsInteger(int index) const { return cursor_->Row().AsInteger(index); }
double FirebirdCursor::AsFloat(int index) const { return cursor_->Row().AsFloat(index); }
TDateTime FirebirdCursor::AsDateTime(int index) const { return cursor_->Row().AsDateTime(index); }
bool FirebirdCursor::AsBoolean(int index) const { return cursor_->Row().AsBoolean(index); }
TVariant FirebirdCursor::Value(int index) const { return cursor_->Row().Value(index); }
