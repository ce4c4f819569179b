#include "BatchTemplate.h"

#include <cstring>

#include "Exceptions.h"

namespace fb {

BatchTemplate::BatchTemplate(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, unsigned dialect,
                             std::string text, unsigned capacity, unsigned fields)
    : text_(std::move(text)), capacity_(capacity), fields_(fields) {
  try {
    Status status;
    statement_ = StatementHandle(
        attachment->prepare(&status, transaction, static_cast<unsigned>(text_.size()), text_.data(), dialect, 0));
  } catch (const Exception&) {
    statement_ = StatementHandle();  // batches of this statement go as blocks of their own
  }
}

// The message of a run: N, then the values of each execution, then the places no execution
// fills, as nulls of the first execution's types (texts one byte long).
MetadataRef BatchTemplate::Describe(std::size_t executions, const std::vector<Value>& values) const {
  Status status;
  MetadataBuilderRef builder(Master()->getMetadataBuilder(&status, 1 + capacity_ * fields_));
  builder->setType(&status, 0, SQL_LONG + 1);
  builder->setLength(&status, 0, sizeof(std::int32_t));
  builder->setScale(&status, 0, 0);
  for (unsigned e = 0; e < capacity_; ++e)
    for (unsigned i = 0; i < fields_; ++i) {
      const bool filled = e < executions;
      const Value& v = values[(filled ? e : 0) * fields_ + i];
      const unsigned k = 1 + e * fields_ + i;
      builder->setType(&status, k, v.type | 1u);
      builder->setLength(&status, k, filled || v.type != SQL_VARYING ? v.length : 1);
      builder->setScale(&status, k, v.scale);
      builder->setSubType(&status, k, v.subType);
      builder->setCharSet(&status, k, v.charSet);
    }
  return MetadataRef(builder->getMetadata(&status));
}

std::int32_t BatchTemplate::Run(Firebird::ITransaction* transaction, std::size_t executions,
                                const std::vector<Value>& values, Firebird::IMessageMetadata* result) {
  if (!Usable() || executions == 0 || executions > capacity_ || values.size() != executions * fields_)
    throw EDatabaseError("A batch does not fit its prepared block");
  Status status;
  const MetadataRef message = Describe(executions, values);
  std::vector<unsigned char> buffer(message->getMessageLength(&status), 0);
  const auto count = static_cast<std::int32_t>(executions);
  std::memcpy(buffer.data() + message->getOffset(&status, 0), &count, sizeof count);
  for (unsigned k = 1; k <= capacity_ * fields_; ++k) {
    const std::size_t index = k - 1;
    const short null = index >= values.size() || values[index].null ? -1 : 0;
    std::memcpy(buffer.data() + message->getNullOffset(&status, k), &null, sizeof null);
    if (null) continue;
    const Value& v = values[index];
    std::memcpy(buffer.data() + message->getOffset(&status, k), v.bytes, v.length + (v.type == SQL_VARYING ? 2 : 0));
  }
  std::vector<unsigned char> out(result->getMessageLength(&status), 0);
  statement_->execute(&status, transaction, message.Get(), buffer.data(), result, out.data());
  short failedNull = 0;
  std::int32_t place = -1;
  std::memcpy(&failedNull, out.data() + result->getNullOffset(&status, 0), sizeof failedNull);
  std::memcpy(&place, out.data() + result->getOffset(&status, 0), sizeof place);
  return failedNull ? -1 : place;
}

}  // namespace fb
