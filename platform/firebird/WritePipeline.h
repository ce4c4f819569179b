#pragma once
// Writing statements held back and sent in batches: several INSERT, UPDATE or DELETE executions
// travel as one EXECUTE BLOCK, so that a thousand of them cost a few round trips instead of a
// thousand.
//
// Only statements of an explicit transaction are queued, on a connection without a character
// set; nothing observable changes: every other statement of the connection, a commit, a count
// of affected rows flushes the queue first, and a rollback discards it. Each statement of a
// batch stands in a block of its own with an error handler (a batch of one statement, its values
// apart, runs in a block prepared once for all such batches): when one fails, its block's
// savepoint undoes it, the batch stops there and tells which one it was, and that statement alone
// runs again by itself, so that it raises exactly the error of its own execution. The statements
// before it stay applied and run once; the ones queued after it are dropped. (The failing one has
// run twice: side effects of it that no savepoint undoes, such as generator increments in its
// triggers, happen twice. A batch the server refuses as a whole runs one statement at a time.)

#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "BatchTemplate.h"
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
  // A batch of one statement, with its values: the statement's text with its string literals as
  // parameters (so that statements differing only in the values written into them are one), the
  // block's declaration of each parameter and each execution's values.
  struct Shape {
    std::string text;
    std::vector<std::string> declarations;
    std::size_t declaredBytes = 0;  // of one execution's parameters, as the block declares them
    std::vector<BatchTemplate::Value> values;
    std::deque<std::string> literals;  // the bytes of the literals' values
  };
  std::size_t BatchEnd() const;
  // Whether entries [from, count) are one statement; fills `shape`.
  bool OneShape(Firebird::ITransaction* transaction, std::size_t from, std::size_t count, Shape& shape);
  bool AddExecution(const Entry& entry, const std::vector<bool>& blobPlaces, Shape& shape) const;
  // Which parameters of `text` the server takes as blobs (asked once for each text); empty when
  // the server cannot tell.
  const std::vector<bool>& BlobPlaces(Firebird::ITransaction* transaction, const std::string& text);
  BatchTemplate& TemplateFor(Firebird::ITransaction* transaction, const Shape& shape);
  std::int32_t RunTemplate(Firebird::ITransaction* transaction, std::size_t from, std::size_t count);
  std::int32_t RunBlock(Firebird::ITransaction* transaction, std::size_t from, std::size_t count);
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
  std::unordered_map<std::string, std::vector<bool>> blobPlaces_;
  std::list<BatchTemplate> templates_;  // the most recently used first
  static constexpr std::size_t kTemplates = 4;
  static constexpr std::size_t kBlobPlaceTexts = 64;
};

}  // namespace fb
