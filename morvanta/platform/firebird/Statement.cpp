#include "morvanta/platform/firebird/Statement.h"

#include "morvanta/platform/firebird/detail/MessageColumns.h"
#include "morvanta/platform/firebird/detail/Statement.h"

FirebirdStatement::FirebirdStatement(FirebirdSession& session, std::unique_ptr<fb::Statement> statement)
    : session_(&session), statement_(std::move(statement)) {}

FirebirdStatement::~FirebirdStatement() = default;

const std::string& FirebirdStatement::Text() const { return statement_->Text(); }
bool FirebirdStatement::ReturnsRows() const { return statement_->ReturnsRows(); }
std::int64_t FirebirdStatement::AffectedRecords() const { return statement_->AffectedRecords(); }

std::vector<TFieldType> FirebirdStatement::InputTypes() const {
  fb::Status status;
  fb::MetadataRef input(statement_->Handle()->getInputMetadata(&status));
  const unsigned count = input->getCount(&status);
  std::vector<TFieldType> types;
  types.reserve(count);
  for (unsigned i = 0; i < count; ++i)
    types.push_back(
        fb::FieldTypeOf(input->getType(&status, i) & ~1u, input->getSubType(&status, i), input->getScale(&status, i)));
  return types;
}

std::vector<fb::Column> FirebirdStatement::OutputColumns() const {
  return fb::DescribeColumns(statement_->OutputMetadata(), true);
}
