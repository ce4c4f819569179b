#pragma once
// The SQL driver framework's query: a statement text (wide lines) whose parameter list follows
// the text, opened forward-only with its cursor kept open between fetches, or executed.

#include <memory>
#include <optional>
#include <vector>

#include "morvanta/platform/framework/Component.h"
#include "morvanta/platform/firebird/HeldWrites.h"
#include "morvanta/platform/core/Params.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/core/Strings.h"
#include "morvanta/platform/core/Variant.h"

namespace morvanta {

namespace fb {
class Cursor;     // platform/firebird: an open select
class Statement;  // platform/firebird: a prepared statement
class Session;
}  // namespace fb

// One column of the current row of an open query. Values are read from the fetched row without
// copying until asked for; a null reads as the empty text, 0 or the zero date-time. CHAR columns
// are ftFixedChar, VARCHAR ftString, both sized in characters; NUMERIC/DECIMAL are ftBCD (Size:
// the scale), read as the scaled value.
class TSQLField {
 public:
  const WideString& FieldName() const { return fieldName_; }
  TFieldType DataType() const { return dataType_; }
  int Size() const { return size_; }

  bool IsNull() const;
  AnsiString AsString() const;
  // The text of a string, memo or blob column without a copy; valid until the next fetch.
  std::string_view AsStringView() const;
  std::int64_t AsInteger() const;
  double AsFloat() const;
  TDateTime AsDateTime() const;
  bool AsBoolean() const;
  TVariant Value() const;

 private:
  friend class TSQLQuery;
  WideString fieldName_;
  TFieldType dataType_ = ftUnknown;
  int size_ = 0;
  int index_ = 0;
  const fb::Cursor* cursor_ = nullptr;
};

// Whether ExecSQL may hold a writing statement back to send it with others (see the driver's
// detail/WritePipeline.h): off, or for statements of the connection's explicit transaction.
enum class WriteBatching { Off, InTransaction };

class TSQLQuery : public TComponent, private SQLConnectionClient {
 public:
  explicit TSQLQuery(TComponent* owner);
  ~TSQLQuery() override;

  static constexpr const char* kClassName = "TSQLQuery";

  const char* ClassName() const override { return kClassName; }
  const char* UnitName() const override { return "SqlExpr"; }

  TSQLConnection* SQLConnection() const { return connection_; }
  void SetSQLConnection(TSQLConnection* connection);

  // Every change of the text rebuilds Params: one entry per marker, in text order.
  TWideStringList& SQL() { return sql_; }
  TParams& Params() { return params_; }

  void Open();
  void Close();  // afterwards Eof is true
  bool Active() const;
  bool Prepared() const { return prepared_; }
  void SetPrepared(bool value);

  // Runs the statement. With directExecute, and the first time a text runs unprepared, the server
  // prepares and executes it in one call; a prepared query, or a text run again, keeps its
  // prepared statement and runs it with one call each time. Returns -1: the server's count of
  // affected rows costs a round trip of its own, RowsAffected asks for it.
  int ExecSQL(bool directExecute = false);
  // The rows the last prepared execution touched, as the server counts them; -1 when the last
  // execution ran in one call without a prepared statement. What is held back on the connection
  // runs first; this query's last execution, when it was held back, by itself, prepared.
  int RowsAffected();

  // With batching on, ExecSQL of an INSERT, UPDATE or DELETE inside the explicit transaction of a
  // server connection may return before the statement has run; its error is then raised by a
  // later call: ExecSQL, ApplyWrites or RowsAffected of this query raise it as the server's error;
  // a call of anyone else on the connection (another statement, a commit) raises it through the
  // raiser given here (none: as the server's error too).
  WriteBatching Batching() const { return batching_; }
  void SetBatching(WriteBatching value) { batching_ = value; }
  void SetHeldBackRaiser(fb::HeldWriteRaiser raise) { heldRaiser_ = std::move(raise); }
  // Runs every statement held back on the connection; raises the error of one that fails.
  void ApplyWrites();

  // The rows the open cursor fetches at once (1, the default: one at a time). A reader that
  // copies packets of rows says how many it will read: on a server connection the blobs of such
  // a window are then read in a few round trips instead of two per blob.
  void SetReadAhead(int rows);

  // The cursor is forward-only: First is valid only before the first Next (EDatabaseError after).
  void First();
  void Next();
  bool Eof() const;

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TSQLField& Fields(int index) { return *fields_.at(static_cast<std::size_t>(index)); }
  TSQLField& FieldByName(std::u16string_view name);  // raises EDatabaseError when missing
  TSQLField* FindField(std::u16string_view name);

 private:
  void ConnectionClosing() override;
  void SQLChanged();
  fb::Session& OpenSession();
  std::string StatementText(const fb::Session& session) const;
  fb::Statement& Statement(fb::Session& session);
  void DropStatement();

  TSQLConnection* connection_ = nullptr;
  TWideStringList sql_;
  TParams params_;
  WideString positional_;  // the text with every marker replaced by '?'
  bool prepared_ = false;
  bool movedPastFirst_ = false;
  unsigned readAhead_ = 1;
  WriteBatching batching_ = WriteBatching::Off;
  fb::HeldWriteRaiser heldRaiser_;
  std::optional<int> heldCount_;  // the count of an execution that was held back
  bool countable_ = false;        // the last execution ran on statement_
  std::string onceText_;          // the text last run in one call: run again, it gets prepared
  std::vector<std::unique_ptr<TSQLField>> fields_;
  std::unique_ptr<fb::Cursor> cursor_;
  std::unique_ptr<fb::Statement> statement_;  // kept while its text is run again

 protected:
  void Notification(TComponent* component, TOperation operation) override;
};

}  // namespace morvanta
