#pragma once

namespace morvanta {

// Holding back the writes of one dataset's ExecSQL while this object lives, so that on a server
// connection they travel in batches: a few round trips per thousand statements instead of one
// or more each (see morvanta/platform/firebird/detail/WritePipeline.h). Only INSERT, UPDATE and DELETE statements
// run inside the dataset's transaction are held; statements the change log records and
// diagnostic mode never are.
//
// What the caller gives up: a statement's error arrives late. ExecSQL returns before its
// statement ran; when one fails, its error (the message the dataset's ExecSQL gives for it) is
// raised by a later ExecSQL of the dataset, by Finish, or by whatever runs next on the
// connection (another dataset's open or statement, a commit), and in every case before anything
// else runs: the statements held before it took effect once, it and those held after it never
// run. A caller that must know which row failed, or must go on after a failing row, does not hold
// writes back. Triggers of the statements of one batch read one CURRENT_TIMESTAMP.
//
//   THeldBackWrites held(update);
//   while (...) { ...; update.ExecSQL(); }
//   held.Finish();  // the last batch, its error raised here
//   transaction.Commit();

class TMorvantaDataset;

class THeldBackWrites {
 public:
  explicit THeldBackWrites(TMorvantaDataset& dataset);
  // Stops holding back the dataset's writes; what is still held runs with whatever runs next on
  // the connection (a rollback drops it).
  ~THeldBackWrites();
  THeldBackWrites(const THeldBackWrites&) = delete;
  THeldBackWrites& operator=(const THeldBackWrites&) = delete;

  // Runs what is held; raises like the dataset's ExecSQL when a statement fails.
  void Finish();

 private:
  TMorvantaDataset& dataset_;
};

}  // namespace morvanta
