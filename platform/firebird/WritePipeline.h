#pragma once
// Writing statements held back and sent in batches: several INSERT, UPDATE or DELETE executions
// travel as one EXECUTE BLOCK, so that a thousand of them cost a few round trips instead of a
// thousand.
//
// Only statements of an explicit transaction are queued, on a connection without a character
// set; nothing observable changes: every other statement of the connection, a commit, a count
// of affected rows flushes the queue first, and a rollback discards it. Each statement of a
// batch stands in a block of its own with an error handler: when one fails, its block's
// savepoint undoes it, the batch stops there and tells which one it was, and that statement alone
// runs again by itself, so that it raises exactly the error of its own execution. The statements
// before it stay applied and run once; the ones queued after it are dropped. (The failing one has
// run twice: side effects of it that no savepoint undoes, such as generator increments in its
// triggers, happen twice. A batch the server refuses as a whole runs one statement at a time.)

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FbHandles.h"

namespace fb {

class InputMessage;

class WritePipeline {
 public:
  WritePipeline(Firebird::IAttachment* attachment, unsigned dialect);
  ~WritePipeline();
  WritePipeline(const WritePipeline&) = delete;
  WritePipeline& operator=(const WritePipeline&) = delete;

  // Whether the statement (its markers written as '?') and its message can be queued.
  static bool Batchable(const std::string& text, const InputMessage& input);
  // Queues one execution; `owner` tells whose it is.
  void Queue(const void* owner, std::string text, InputMessage& input);
  // Enough is queued for a batch of its own.
  bool Full() const;
  bool Empty() const { return entries_.empty(); }
  // Whether the last queued execution is `owner`'s.
  bool LastIs(const void* owner) const { return !entries_.empty() && entries_.back().owner == owner; }

  // Runs everything queued in `transaction`; raises the error of the first statement that fails,
  // dropping it and everything queued after it.
  void Flush(Firebird::ITransaction* transaction);
  // Runs everything but the last execution, then the last one by itself on a prepared statement;
  // returns the rows it touched, as the server counts them.
  std::int64_t RunLastAlone(Firebird::ITransaction* transaction);
  // Drops everything queued (a rollback, the end of the connection).
  void Discard() { entries_.clear(); }

  // Statement texts and message bytes of one batch at most, within the server's limits.
  static constexpr std::size_t kMaxBatchText = 48 * 1024;
  static constexpr std::size_t kMaxBatchMessage = 48 * 1024;
  static constexpr std::size_t kMaxBatchStatements = 256;

 private:
  struct Entry {
    const void* owner;
    std::string text;
    MetadataRef metadata;  // nullptr: no parameters
    std::vector<unsigned char> buffer;
  };
  // An EXECUTE BLOCK for some entries: its text and its input message.
  struct Block {
    std::string text;
    MetadataRef metadata;  // nullptr: no parameters
    std::vector<unsigned char> buffer;
  };
  std::size_t BatchEnd() const;
  Block DescribeBlock(std::size_t from, std::size_t count) const;
  void FillBlockMessage(Block& block, std::size_t from, std::size_t count) const;
  const MetadataRef& ResultMetadata();
  // Runs entries [from, count).
  void RunBatch(Firebird::ITransaction* transaction, std::size_t from, std::size_t count);
  void RunOne(Firebird::ITransaction* transaction, const Entry& entry);
  void Replay(Firebird::ITransaction* transaction, std::size_t from, std::size_t count);

  Firebird::IAttachment* attachment_;
  unsigned dialect_;
  std::vector<Entry> entries_;
  MetadataRef result_;
};

}  // namespace fb
