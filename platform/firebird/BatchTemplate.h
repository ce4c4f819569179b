#pragma once
// A batch block prepared once and run again for every batch of one statement: it holds
// `capacity` copies of the statement, each in a block of its own with an error handler, runs the
// first N of them and returns in F the place of the one that failed (-1: none). Its parameters are
// declared without the lengths of the values, so one prepared block serves batches of any values
// and the server compiles the copies of the statement once, not for every batch.

#include <cstdint>
#include <string>
#include <vector>

#include "FbHandles.h"

namespace fb {

class BatchTemplate {
 public:
  // One parameter value of one execution, described as its message place: a VARYING's bytes
  // start with their two length bytes.
  struct Value {
    unsigned type;  // SQL type, without the null flag
    unsigned length;
    int scale;
    int subType;
    unsigned charSet;
    bool null;
    const unsigned char* bytes;  // length bytes (length + 2 for a VARYING)
  };

  // Prepares `text`, whose parameters are N (the executions to run) and then the `fields`
  // parameters of each of `capacity` executions. A text the server refuses leaves the template
  // unusable instead of raising.
  BatchTemplate(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, unsigned dialect,
                std::string text, unsigned capacity, unsigned fields);

  const std::string& Text() const { return text_; }
  bool Usable() const { return bool(statement_); }
  unsigned Capacity() const { return capacity_; }

  // Runs `executions` executions (at most Capacity()), whose values stand in `values` one
  // execution after the other; the place of the one that failed, or -1. Raises when the block as
  // a whole fails (it then undid all of its work).
  std::int32_t Run(Firebird::ITransaction* transaction, std::size_t executions, const std::vector<Value>& values,
                   Firebird::IMessageMetadata* result);

 private:
  MetadataRef Describe(std::size_t executions, const std::vector<Value>& values) const;

  std::string text_;
  unsigned capacity_;
  unsigned fields_;
  StatementHandle statement_;
};

}  // namespace fb
