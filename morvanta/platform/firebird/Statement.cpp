#include "morvanta/platform/firebird/Statement.h"

#include "morvanta/platform/firebird/detail/MessageColumns.h"
#include "morvanta/platform/firebird/detail/Statement.h"

namespace morvanta::fb {

Statement::Statement(fb::Session& session, std::unique_ptr<detail::Statement> statement)
    : session_(&session), statement_(std::move(statement)) {}

Statement::~Statement() = default;

const std::string& Statement::Text() const { return statement_->Text(); }
bool Statement::ReturnsRows() const { return statement_->ReturnsRows(); }
std::int64_t Statement::AffectedRecords() const { return statement_->AffectedRecords(); }

std::vector<TFieldType> Statement::InputTypes() const {
  detail::Status status;
  detail::MetadataRef input(statement_->Handle()->getInputMetadata(&status));
  const unsigned count = input->getCount(&status);
  std::vector<TFieldType> types;
  types.reserve(count);
  for (unsigned i = 0; i < count; ++i)
    types.push_back(
        fb::FieldTypeOf(input->getType(&status, i) & ~1u, input->getSubType(&status, i), input->getScale(&status, i)));
  return types;
}

std::vector<fb::Column> Statement::OutputColumns() const {
  return detail::DescribeColumns(statement_->OutputMetadata(), true);
}

}  // namespace morvanta::fb
