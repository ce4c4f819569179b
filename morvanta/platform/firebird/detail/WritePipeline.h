#pragma once
// Writing statements held back and sent in batches: several INSERT, UPDATE or DELETE executions
// travel as one EXECUTE BLOCK, so that a thousand of them cost a few round trips instead of a
// thousand.
//
// Only statements of an explicit transaction are queued, on a connection without a character
// set. Every other statement of the connection, a commit, a count of affected rows runs what is
// held first, and a rollback discards it. A batch runs in a block without error handlers
// (BatchTemplate.h): the first statement that fails raises the server's own error, as it would
// by itself; the statements before it stay applied and ran once; it and everything held after it
// never run. No statement is ever run a second time.
//
// Batches are sized to what the server takes in one request: 32767 parameters, texts and messages
// of a few megabytes, with a margin below each; each statement is compiled once, in a sub-procedure
// of the block, so the 256 contexts of a request bound a statement, not a batch. A block the
// server refuses all the same is split.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "morvanta/platform/firebird/detail/BatchTemplate.h"
#include "morvanta/platform/firebird/DriverCounts.h"
#include "morvanta/platform/firebird/detail/Handles.h"
#include "morvanta/platform/firebird/HeldWrites.h"
#include "morvanta/platform/firebird/StatementLiterals.h"

namespace morvanta::fb::detail {

class InputMessage;

class WritePipeline {
 public:
  WritePipeline(Firebird::IAttachment* attachment, unsigned dialect, DriverCounts& counts);
  ~WritePipeline();
  WritePipeline(const WritePipeline&) = delete;
  WritePipeline& operator=(const WritePipeline&) = delete;

  // Whether the statement (its markers written as '?') and its message can be queued.
  static bool Batchable(const std::string& text, const InputMessage& input);
  // Queues one execution of `owner`, whose failure `raise` raises (none: as the server's error).
  void Queue(const void* owner, HeldWriteRaiser raise, std::string text, InputMessage& input);
  // Enough is queued for a batch of its own.
  bool Full() const;
  // Runs the batches that are full, keeping the rest held; raises like Flush.
  void FlushFull(Firebird::ITransaction* transaction, const void* caller);
  bool Empty() const { return entries_.empty(); }
  // Whether anything held is not `owner`'s.
  bool HoldsOthersThan(const void* owner) const;

  // Runs everything queued in `transaction`. When one fails, everything held is dropped and its
  // error raised: by its owner's raiser, unless the owner is `caller` (who raises its own errors).
  void Flush(Firebird::ITransaction* transaction, const void* caller);
  // When `owner` has executions held: runs everything before its last one, then that one by
  // itself on a prepared statement, and returns the rows it touched; what was held after it stays
  // held.
  std::optional<std::int64_t> RunLastAlone(Firebird::ITransaction* transaction, const void* owner);
  // Drops everything queued (a rollback, the end of the connection).
  void Discard() { entries_.clear(); }

 private:
  // What one statement costs a block.
  struct Cost {
    std::size_t parameters = 0, text = 0, message = 0;
  };
  struct Entry {
    const void* owner;
    HeldWriteRaiser raise;
    std::string text;
    MetadataRef metadata;  // nullptr: no parameters
    std::vector<unsigned char> buffer;
    LiteralParameters shared;  // the text with its string literals as parameters, found once
    Cost cost;
  };
  // Batches of one statement with its values: the statement's text with its string literals as
  // parameters (so that statements differing only in the values written into them are one), the
  // block's declaration of each parameter and each execution's values.
  struct Shape {
    std::string text;
    std::vector<std::string> declarations;
    std::vector<BatchTemplate::Value> values;
    std::deque<std::string> literals;  // the bytes of the literals' values
  };

  static Cost CostOf(const std::string& text, std::size_t parameters, std::size_t messageBytes);
  static Cost CostOf(const Entry& entry);
  std::size_t BatchEnd(std::size_t from) const;
  // Runs entries [from, end), raising the failure of one of them; returns when all ran.
  void RunBatch(Firebird::ITransaction* transaction, std::size_t from, std::size_t end, const void* caller);
  // Runs entries [from, end) in one block; nullopt when the server would not prepare it.
  std::optional<BatchTemplate::Outcome> RunBlock(Firebird::ITransaction* transaction, std::size_t from,
                                                 std::size_t end);
  bool OneShape(Firebird::ITransaction* transaction, std::size_t from, std::size_t end, Shape& shape);
  bool AddExecution(const Entry& entry, const std::vector<bool>& blobPlaces, Shape& shape) const;
  void AddValues(const Entry& entry, std::vector<std::string>& declarations,
                 std::vector<BatchTemplate::Value>& values) const;
  // Which parameters of `text` the server takes as blobs (asked once for each text); empty when
  // the server cannot tell.
  const std::vector<bool>& BlobPlaces(Firebird::ITransaction* transaction, const std::string& text);
  BatchTemplate* TemplateFor(Firebird::ITransaction* transaction, const Shape& shape, std::size_t executions);
  [[noreturn]] void Fail(std::size_t at, const EFirebirdError& error, const void* caller);
  void RunOne(Firebird::ITransaction* transaction, const Entry& entry);

  Firebird::IAttachment* attachment_;
  unsigned dialect_;
  DriverCounts& counts_;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::vector<bool>> blobPlaces_;
  std::unordered_map<std::string, unsigned> refusedCapacity_;  // a capacity the server refused, by statement
  std::list<BatchTemplate> templates_;                         // the most recently used first
  static constexpr std::size_t kTemplates = 4;
  static constexpr std::size_t kBlobPlaceTexts = 64;
};

}  // namespace morvanta::fb::detail
