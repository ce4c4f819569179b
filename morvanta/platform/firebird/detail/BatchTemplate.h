#pragma once
// The block a batch of held-back writes runs in, prepared once and run again for every batch of
// the same statements. It holds its statements one after the other, each followed by a SUSPEND
// that hands one row to the client, and no error handler: the first statement that fails ends
// the block with the server's own error, the statements before it stay applied (the work of a
// selectable block is kept up to its last SUSPEND), and nothing after it runs. The rows that
// arrived before the error tell how many statements ran.
//
// Each distinct statement (with the declarations of its markers) is a sub-procedure of the block,
// compiled once however often the block calls it, and within the 256 contexts of a request by
// itself: a block is bounded by its parameters and its text, not by what its statements read.
// The error of a statement carries no line of the block or of its sub-procedures.
//
// A block of copies of one statement takes N, the copies to run, as its first parameter, so that
// one prepared block serves batches of any size up to its capacity; its parameters are declared
// without the lengths of the values, so that every copy calls the same sub-procedure.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/firebird/detail/Handles.h"

namespace morvanta::fb::detail {

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

  // How a run ended: the statements that ran and stayed applied, and the error of the one after
  // them, as that statement alone raises it (the block's own location left out).
  struct Outcome {
    std::size_t ran = 0;
    std::optional<EFirebirdError> error;
  };

  // The text of a block running `statements` in order (their markers written as '?'), whose
  // markers are declared, one after the other, by `declarations`; with `counted`, N comes first
  // and the block stops after the first N statements.
  static std::string BlockText(const std::vector<std::string>& statements, const std::vector<std::string>& declarations,
                               bool counted);

  // Prepares `text` (BlockText) of `capacity` statements; when `counted`, copies of one statement
  // taking `fields` parameters each, after N. Raises the server's refusal (a block too large).
  BatchTemplate(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, unsigned dialect,
                std::string text, unsigned capacity, unsigned fields, bool counted);

  const std::string& Text() const { return text_; }
  unsigned Capacity() const { return capacity_; }

  // Runs the first `executions` statements (all of them unless counted), whose values stand in
  // `values` one execution after the other.
  Outcome Run(Firebird::ITransaction* transaction, std::size_t executions, const std::vector<Value>& values);

 private:
  MetadataRef Describe(std::size_t filled, const std::vector<Value>& values) const;

  std::string text_;
  unsigned capacity_;
  unsigned fields_;
  bool counted_;
  StatementHandle statement_;
  MetadataRef result_;
};

// `error` raised inside a batch block as the statement raises it by itself: without the lines that
// place it in the block (and without the stack-trace code when nothing else was in the trace).
EFirebirdError WithoutBlockLocation(const EFirebirdError& error);

}  // namespace morvanta::fb::detail
